#include "platform/ui/controlbar.h"

#include <QMainWindow>
#include <QToolBar>

#include "platform/ui/framewnd.h"

CControlBar::~CControlBar() = default;

void CControlBar::Attach(CFrameWnd& frame, UINT id, QWidget* widget)
{
    m_frame = &frame;
    m_id = id;
    m_widget = widget;
    m_widget->setObjectName(QStringLiteral("Bar%1").arg(id));
}

bool CControlBar::CreateDockable(CFrameWnd& frame, UINT id, DWORD side)
{
    QMainWindow* window = frame.GetWindow();
    if (window == nullptr)
        return false;
    auto* bar = new QToolBar(window);
    Attach(frame, id, bar);
    frame.DockControlBar(*this, side);
    return true;
}

QToolBar* CControlBar::GetDockableBar() const
{
    return qobject_cast<QToolBar*>(m_widget);
}

DWORD CControlBar::GetBarAlignment() const
{
    QToolBar* bar = GetDockableBar();
    if (bar == nullptr || m_frame == nullptr || bar->isFloating())
        return 0;
    switch (m_frame->GetWindow()->toolBarArea(bar))
    {
    case Qt::LeftToolBarArea: return CBRS_ALIGN_LEFT;
    case Qt::RightToolBarArea: return CBRS_ALIGN_RIGHT;
    case Qt::TopToolBarArea: return CBRS_ALIGN_TOP;
    case Qt::BottomToolBarArea: return CBRS_ALIGN_BOTTOM;
    default: return 0;
    }
}

bool CControlBar::IsVisible() const
{
    return m_widget != nullptr && !m_widget->isHidden();
}

void CControlBar::SetWindowText(const CString& text)
{
    if (m_widget != nullptr)
        m_widget->setWindowTitle(QString::fromStdString(text.ToUtf8()));
}

CString CControlBar::GetWindowText() const
{
    if (m_widget == nullptr)
        return {};
    return CString::FromUtf8(m_widget->windowTitle().toStdString());
}
