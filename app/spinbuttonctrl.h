#pragma once
// CSpinButtonCtrl: a pair of up and down arrows that step a value by one within a range.
// Before a step takes effect its owner is asked, and may refuse it.
#include <QWidget>
#include <functional>

class QToolButton;

class CSpinButtonCtrl : public QWidget
{
public:
    explicit CSpinButtonCtrl(QWidget* parent = nullptr);

    void SetRange(int minimum, int maximum);
    // Held inside the range.
    void SetPos(int position);
    [[nodiscard]] int GetPos() const { return m_position; }
    // Called with the position and the step (+1 up, -1 down) before the step; true
    // refuses it.
    void SetDeltaHandler(std::function<bool(int position, int delta)> handler) { m_onDelta = std::move(handler); }
    // What a press of an arrow does: asks the owner, then moves within the range.
    void Step(int delta);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_up;
    QToolButton* m_down;
    int m_minimum = 0;
    int m_maximum = 100;
    int m_position = 0;
    std::function<bool(int, int)> m_onDelta;
};
