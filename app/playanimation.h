#pragma once
// CPlayAnimation: the small "Slideshow" dialog shown, modal, while a slideshow plays: it
// starts the slideshow when it shows, pauses and resumes it, and stops it with Stop,
// Escape or closing it.
#include <QDialog>

class IAnimation;
class ITarnisView;
class QPushButton;

class CPlayAnimation : public QDialog
{
public:
    static constexpr int kPauseButtonId = 1217;
    static constexpr int kStopButtonId = 1;

    // Takes the slideshow, not yet started; the parent is the view's window.
    CPlayAnimation(ITarnisView* view, IAnimation* slideshow, QWidget* parent);
    // A slideshow that never started is freed here.
    ~CPlayAnimation() override;

    // Stop and Cancel both end the slideshow.
    void accept() override;
    void reject() override;
    // Pauses a playing slideshow, or resumes a paused one and steps it at once.
    void OnPauseClicked();

    [[nodiscard]] QPushButton* GetPauseButton() const { return m_pauseButton; }
    [[nodiscard]] QPushButton* GetStopButton() const { return m_stopButton; }

protected:
    void showEvent(QShowEvent* event) override;

private:
    void StopSlideshow();
    void ShowPauseState(bool paused);

    ITarnisView* m_view;
    // Held until the view runs it; the view owns it from then on.
    IAnimation* m_slideshow;
    bool m_started = false;
    QPushButton* m_pauseButton = nullptr;
    QPushButton* m_stopButton = nullptr;
};
