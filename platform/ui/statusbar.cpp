#include "platform/ui/statusbar.h"

#include <QLabel>
#include <QMainWindow>
#include <QStatusBar>

#include "platform/ui/framewnd.h"
#include "platform/ui/stringtable.h"

namespace {

QLabel* PaneLabel(QWidget* bar, int index)
{
    return bar == nullptr ? nullptr : bar->findChild<QLabel*>(QStringLiteral("Pane%1").arg(index));
}

}  // namespace

bool CStatusBar::Create(CFrameWnd& frame, UINT id)
{
    QMainWindow* window = frame.GetWindow();
    if (window == nullptr)
        return false;
    auto* bar = new QStatusBar(window);
    bar->setSizeGripEnabled(true);
    window->setStatusBar(bar);
    Attach(frame, id, bar);
    return true;
}

bool CStatusBar::SetIndicators(const UINT* ids, int count)
{
    auto* bar = qobject_cast<QStatusBar*>(GetBarWidget());
    if (bar == nullptr || count < 0 || (count > 0 && ids == nullptr))
        return false;
    for (int i = 0; i < GetCount(); ++i)
        delete PaneLabel(bar, i);
    m_panes.assign(static_cast<size_t>(count), Pane{});
    for (int i = 0; i < count; ++i)
    {
        Pane& pane = m_panes[static_cast<size_t>(i)];
        pane.id = ids[i];
        pane.style = i == 0 ? SBPS_NOBORDERS | SBPS_STRETCH : SBPS_NORMAL;
        pane.width = i == 0 ? 0 : 100;
        if (pane.id != 0)
            pane.text = LoadStringResource(static_cast<int>(pane.id));
        auto* label = new QLabel(bar);
        label->setObjectName(QStringLiteral("Pane%1").arg(i));
        if (i == 0)
            bar->addWidget(label, 1);
        else
            bar->addPermanentWidget(label);
        ApplyPane(i);
    }
    return true;
}

int CStatusBar::CommandToIndex(UINT id) const
{
    for (int i = 0; i < GetCount(); ++i)
        if (m_panes[static_cast<size_t>(i)].id == id)
            return i;
    return -1;
}

UINT CStatusBar::GetItemID(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].id : 0;
}

void CStatusBar::SetPaneInfo(int index, UINT id, UINT style, int width)
{
    if (index < 0 || index >= GetCount())
        return;
    Pane& pane = m_panes[static_cast<size_t>(index)];
    pane.id = id;
    pane.style = style;
    pane.width = width;
    ApplyPane(index);
}

void CStatusBar::GetPaneInfo(int index, UINT& id, UINT& style, int& width) const
{
    if (index < 0 || index >= GetCount())
        return;
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    id = pane.id;
    style = pane.style;
    width = pane.width;
}

bool CStatusBar::SetPaneText(int index, const CString& text, bool update)
{
    if (index < 0 || index >= GetCount())
        return false;
    m_panes[static_cast<size_t>(index)].text = text;
    ApplyPane(index);
    if (update && GetBarWidget() != nullptr)
        GetBarWidget()->repaint();
    return true;
}

CString CStatusBar::GetPaneText(int index) const
{
    return index >= 0 && index < GetCount() ? m_panes[static_cast<size_t>(index)].text : CString();
}

void CStatusBar::SetPaneRightAligned(int index, bool right)
{
    if (index < 0 || index >= GetCount())
        return;
    m_panes[static_cast<size_t>(index)].rightAligned = right;
    ApplyPane(index);
}

void CStatusBar::SetPaneFill(int index, COLORREF colour)
{
    if (index < 0 || index >= GetCount())
        return;
    m_panes[static_cast<size_t>(index)].fill = colour;
    m_panes[static_cast<size_t>(index)].hasFill = true;
    ApplyPane(index);
}

void CStatusBar::InvalidateBar()
{
    if (GetBarWidget() != nullptr)
        GetBarWidget()->update();
}

void CStatusBar::ApplyPane(int index)
{
    QLabel* label = PaneLabel(GetBarWidget(), index);
    if (label == nullptr)
        return;
    const Pane& pane = m_panes[static_cast<size_t>(index)];
    label->setText(QString::fromStdString(pane.text.ToUtf8()));
    label->setAlignment(Qt::AlignVCenter | (pane.rightAligned ? Qt::AlignRight : Qt::AlignLeft));
    if (!(pane.style & SBPS_STRETCH) && pane.width > 0)
        label->setFixedWidth(pane.width);
    label->setFrameShape(pane.style & SBPS_NOBORDERS ? QFrame::NoFrame : QFrame::Panel);
    label->setFrameShadow(pane.style & SBPS_POPOUT ? QFrame::Raised : QFrame::Sunken);
    label->setEnabled(!(pane.style & SBPS_DISABLED));
    if (pane.hasFill)
    {
        label->setAutoFillBackground(true);
        QPalette palette = label->palette();
        palette.setColor(QPalette::Window, QColor(GetRValue(pane.fill), GetGValue(pane.fill), GetBValue(pane.fill)));
        label->setPalette(palette);
    }
}
