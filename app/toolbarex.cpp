#include "app/toolbarex.h"

#include <QAction>
#include <QMouseEvent>
#include <QToolBar>
#include <QToolButton>

#include "platform/ui/framewnd.h"

// Sees the mouse on the bar's buttons before they do.
class CToolBarPressTracker : public QObject
{
public:
    explicit CToolBarPressTracker(CToolBarEx& bar) : m_bar(bar) {}

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* button = qobject_cast<QToolButton*>(watched);
        if (button == nullptr || button->defaultAction() == nullptr)
            return false;
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton && button->isEnabled())
            m_bar.OnButtonPressed(button->defaultAction()->data().toUInt());
        else if (event->type() == QEvent::MouseButtonRelease &&
                 static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton)
            m_bar.OnButtonReleased(button->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint()));
        return false;
    }

private:
    CToolBarEx& m_bar;
};

CToolBarEx::CToolBarEx() = default;
CToolBarEx::~CToolBarEx() = default;

void CToolBarEx::TrackButtonPresses()
{
    QToolBar* bar = GetDockableBar();
    if (bar == nullptr)
        return;
    if (m_tracker == nullptr)
        m_tracker = std::make_unique<CToolBarPressTracker>(*this);
    for (QAction* action : bar->actions())
        if (QWidget* button = bar->widgetForAction(action))
            button->installEventFilter(m_tracker.get());
}

bool CToolBarEx::OnButtonReleased(bool overPressedButton)
{
    const UINT command = m_pressedCommand;
    m_pressedCommand = 0;
    if (command == 0 || overPressedButton || GetDockSite() == nullptr)
        return false;
    GetDockSite()->PostCommand(command);
    return true;
}
