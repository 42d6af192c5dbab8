#pragma once
// CGlimraSystemPrefs: the "System Preferences" window, which holds the OpenGL page. OK
// has the page apply its settings; the window keeps its place in "GlimraSystemPrefs".
#include <QDialog>

class CGraphicsCardPP;

class CGlimraSystemPrefs : public QDialog
{
public:
    explicit CGlimraSystemPrefs(QWidget* parent = nullptr);
    ~CGlimraSystemPrefs() override;

    [[nodiscard]] CGraphicsCardPP* GetPage() const { return m_page; }
    // The page applies its settings, then the window closes.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

private:
    CGraphicsCardPP* m_page = nullptr;
};
