#include "app/tabbar.h"

#include <QMainWindow>
#include <QProxyStyle>
#include <QStyleOptionTab>
#include <QLayout>
#include <QTabBar>
#include <QToolBar>

#include "document/tabinfo.h"
#include "platform/ui/framewnd.h"

namespace {

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

// A Qt tab strip always has a current tab; while the bar has none, the tab Qt holds as
// current is drawn like every other.
class CNoCurrentTabStyle : public QProxyStyle
{
public:
    void drawControl(ControlElement element, const QStyleOption* option, QPainter* painter,
                     const QWidget* widget) const override
    {
        const auto* tab = qstyleoption_cast<const QStyleOptionTab*>(option);
        if (tab != nullptr && widget != nullptr && widget->property(kNoCurrentTab).toBool())
        {
            QStyleOptionTab plain(*tab);
            plain.state &= ~QStyle::State_Selected;
            QProxyStyle::drawControl(element, &plain, painter, widget);
            return;
        }
        QProxyStyle::drawControl(element, option, painter, widget);
    }

    static constexpr const char* kNoCurrentTab = "noCurrentTab";
};

}  // namespace

bool CTabBar::Create(CFrameWnd& frame, UINT id)
{
    QMainWindow* window = frame.GetWindow();
    if (window == nullptr)
        return false;
    window->addToolBarBreak(Qt::TopToolBarArea);
    if (!CreateDockable(frame, id, CBRS_ALIGN_TOP))
        return false;
    QToolBar* bar = GetDockableBar();
    bar->setMovable(false);
    m_tabs = new QTabBar(bar);
    m_tabs->setObjectName(QStringLiteral("PageTabs"));
    m_tabs->setExpanding(false);
    m_tabs->setDrawBase(false);
    auto* style = new CNoCurrentTabStyle;
    style->setParent(m_tabs);
    m_tabs->setStyle(style);
    bar->addWidget(m_tabs);
    // The click decides which page shows; the strip follows the page notifications.
    QObject::connect(m_tabs, &QTabBar::tabBarClicked, bar, [this](int index) {
        if (m_onClick && index >= 0)
            m_onClick(index);
    });
    return true;
}

int CTabBar::GetTabCount() const
{
    return m_tabs != nullptr ? m_tabs->count() : 0;
}

int CTabBar::SelectTab(int index)
{
    const int former = m_current;
    m_current = index >= 0 && index < GetTabCount() ? index : -1;
    if (m_tabs == nullptr)
        return former;
    const QSignalBlocker blocker(m_tabs);
    if (m_current >= 0)
        m_tabs->setCurrentIndex(m_current);
    m_tabs->setProperty(CNoCurrentTabStyle::kNoCurrentTab, m_current < 0);
    m_tabs->update();
    return former;
}

void CTabBar::ApplyTexts(int index, const ITabInfo& info)
{
    m_tabs->setTabText(index, ToQString(info.GetTabText()));
    m_tabs->setTabToolTip(index, ToQString(info.GetTooltipText().Left(kMaxTipLength)));
}

int CTabBar::InsertTab(ITabInfo* info, int index)
{
    if (m_tabs == nullptr || info == nullptr)
        return -1;
    if (index < 0 || index > m_tabs->count())
        index = m_tabs->count();
    int inserted = 0;
    {
        const QSignalBlocker blocker(m_tabs);
        inserted = m_tabs->insertTab(index, QString());
    }
    if (inserted < 0)
        return inserted;
    m_tabs->setTabData(inserted, QVariant::fromValue(static_cast<void*>(info)));
    ApplyTexts(inserted, *info);
    RelayOut();
    if (m_current >= inserted)
        ++m_current;
    SelectTab(inserted);
    return inserted;
}

bool CTabBar::DeleteTab(int index)
{
    if (m_tabs == nullptr || index < 0 || index >= m_tabs->count())
        return false;
    {
        const QSignalBlocker blocker(m_tabs);
        m_tabs->removeTab(index);
    }
    if (m_current == index)
        m_current = -1;
    else if (m_current > index)
        --m_current;
    SelectTab(m_current);
    RelayOut();
    return true;
}

void CTabBar::RelayOut()
{
    // The strip's size follows its tabs; the bar lays out again for the new size.
    m_tabs->adjustSize();
    m_tabs->updateGeometry();
    if (QToolBar* bar = GetDockableBar(); bar != nullptr && bar->layout() != nullptr)
        bar->layout()->invalidate();
}

ITabInfo* CTabBar::GetTabInfo(int index) const
{
    if (m_tabs == nullptr || index < 0 || index >= m_tabs->count())
        return nullptr;
    return static_cast<ITabInfo*>(m_tabs->tabData(index).value<void*>());
}

bool CTabBar::RefreshTabText(int index)
{
    const ITabInfo* info = GetTabInfo(index);
    if (info == nullptr)
        return false;
    ApplyTexts(index, *info);
    return true;
}

int CTabBar::FindTab(const ITabInfo* info) const
{
    for (int i = 0; i < GetTabCount(); ++i)
        if (GetTabInfo(i) == info)
            return i;
    return -1;
}

int CTabBar::MoveTab(int from, int to)
{
    if (from < 0 || to < 0)
        return -1;
    if (from == to)
        return from;
    ITabInfo* info = GetTabInfo(from);
    if (info == nullptr)
        return -1;
    DeleteTab(from);
    // The inserted tab becomes the current one, the only one highlighted.
    return InsertTab(info, to);
}

void CTabBar::DeleteAllTabs()
{
    if (m_tabs != nullptr)
    {
        const QSignalBlocker blocker(m_tabs);
        // Each removal lays the remaining tabs out again, and a removed current tab makes
        // its neighbour current and measured: the first tab stays current, the others are
        // hidden (passed over at almost no cost) and go from the last.
        if (m_tabs->count() > 0)
            m_tabs->setCurrentIndex(0);
        for (int index = m_tabs->count() - 1; index > 0; --index)
            m_tabs->setTabVisible(index, false);
        while (m_tabs->count() > 0)
            m_tabs->removeTab(m_tabs->count() - 1);
        RelayOut();
    }
    m_current = -1;
}

void CTabBar::SetTabs(const std::vector<ITabInfo*>& infos)
{
    DeleteAllTabs();
    if (m_tabs == nullptr)
        return;
    {
        const QSignalBlocker blocker(m_tabs);
        // The strip lays every tab out again after each one added, so thousands of pages
        // would cost the square of their count in text measuring. A hidden tab is passed
        // over at almost no cost: the tabs come in hidden and are measured once at the end.
        for (ITabInfo* info : infos)
        {
            if (info == nullptr)
                continue;
            const int index = m_tabs->addTab(ToQString(info->GetTabText()));
            m_tabs->setTabVisible(index, false);
            m_tabs->setTabData(index, QVariant::fromValue(static_cast<void*>(info)));
            m_tabs->setTabToolTip(index, ToQString(info->GetTooltipText().Left(kMaxTipLength)));
        }
        for (int index = 0; index < m_tabs->count(); ++index)
            m_tabs->setTabVisible(index, true);
    }
    RelayOut();
    SelectTab(-1);
}
