#include "app/shadowtoolbar.h"

#include <QTimer>
#include <QToolBar>

#include "app/buttonimagest.h"
#include "app/datesliderctrl.h"
#include "app/resourceids.h"
#include "app/shadowps.h"
#include "app/timesliderctrl.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "platform/ui/cmdui.h"
#include "platform/ui/framewnd.h"
#include "platform/ui/stringtable.h"
#include "render/hostservices.h"

namespace {

constexpr int kNoonLabelId = 10053;
constexpr int kMonthFontNameId = 10560;
constexpr int kMonthLabelsId = 10561;
constexpr int kUpdateIntervalMs = 200;

// The controls in the order their places are kept, with the pictures of the buttons
// for small and for large buttons.
const struct
{
    int id;
    int smallImage;
    int largeImage;
} kControls[] = {{CShadowToolBar::kSettingsButton, 461, 462},
                 {CShadowToolBar::kDisplayButton, 459, 460},
                 {CShadowToolBar::kDateSlider, 0, 0},
                 {CShadowToolBar::kTimeSlider, 0, 0}};

// The small layout: two buttons of the small toolbar buttons' size, then the sliders.
constexpr int kButtonWidth = 23;
constexpr int kButtonHeight = 24;
constexpr int kSliderWidth = 168;
constexpr int kGap = 4;
// The large layout widens each button by this much.
constexpr int kLargeButtonGrowth = 8;
constexpr int kLargeSliderDrop = 4;
constexpr int kLargeBarExtraHeight = 5;

QString ToQString(const CString& text)
{
    return QString::fromStdString(text.ToUtf8());
}

CShadowInfo* CurrentShadows()
{
    CTarnwickModel* model = GetCurrentModel();
    return model != nullptr ? model->GetShadowInfo() : nullptr;
}

bool RefreshesBar(const std::string& name, int code)
{
    // A model read or made anew announces itself only so.
    if (name == kResynchUINotification)
        return true;
    if (name == kRenderingOptionsChangeNotification || name == kAnimationNotification)
        return code == 2;
    if (name == kShadowNotification)
        return code == kShadowTimeChanged || code == kShadowDisplayChanged || code == 4 || code == kShadowAssigned;
    return false;
}

}  // namespace

CShadowToolBar::CShadowToolBar()
{
    AddCommands();
}

CShadowToolBar::~CShadowToolBar()
{
    StopObserving();
    // The frame's window may outlive the bar; its controls call back into it.
    delete m_panel.data();
}

void CShadowToolBar::AddCommands()
{
    GetCommands().Add(
        kSettingsButton, GetCommandTip(static_cast<int>(kSettingsButton)),
        [this] {
            if (CButtonImageST* button = GetButton(kSettingsButton))
                button->ToggleCheck(true);
            if (GetDockSite() != nullptr)
                GetDockSite()->SendCommand(ID_WINDOW_SHADOW_SETTINGS);
        },
        [this](CCmdUI& ui) {
            // The window's own command knows whether it shows.
            CCmdUI window(ID_WINDOW_SHADOW_SETTINGS);
            ui.SetCheck(GetDockSite() != nullptr && GetDockSite()->OnCmdMsg(ID_WINDOW_SHADOW_SETTINGS, &window) &&
                                window.IsChecked()
                            ? 1
                            : 0);
        });
    GetCommands().Add(
        kDisplayButton, GetCommandTip(static_cast<int>(kDisplayButton)),
        [this] {
            CShadowInfo* shadows = CurrentShadows();
            if (shadows == nullptr)
                return;
            {
                const bool wasApplying = m_applying;
                m_applying = true;
                shadows->SetDisplayShadows(!shadows->IsDisplayShadows());
                m_applying = wasApplying;
            }
            UpdateAllViewsOfActiveDoc();
        },
        [](CCmdUI& ui) {
            const CShadowInfo* shadows = CurrentShadows();
            ui.SetCheck(shadows != nullptr && shadows->IsDisplayShadows() ? 1 : 0);
        });
}

bool CShadowToolBar::Create(CFrameWnd& frame)
{
    if (!CreateDockable(frame, kBarId, CBRS_ALIGN_TOP))
        return false;
    QToolBar* bar = GetDockableBar();
    bar->setAllowedAreas(Qt::TopToolBarArea | Qt::BottomToolBarArea);
    m_panel = new QWidget(bar);
    m_panel->setObjectName(QStringLiteral("ShadowPanel"));
    bar->addWidget(m_panel);
    CreateControls();
    GetNotificationCenter().AddObserver(kRenderingOptionsChangeNotification, this);
    GetNotificationCenter().AddObserver(kAnimationNotification, this);
    GetNotificationCenter().AddObserver(kShadowNotification, this);
    GetNotificationCenter().AddObserver(kResynchUINotification, this);
    m_observing = true;
    InitControls();
    auto* timer = new QTimer(m_panel);
    QObject::connect(timer, &QTimer::timeout, m_panel.data(), [this] { UpdateButtons(); });
    timer->start(kUpdateIntervalMs);
    return true;
}

void CShadowToolBar::CreateControls()
{
    m_normalRects = {QRect(0, 0, kButtonWidth, kButtonHeight), QRect(kButtonWidth, 0, kButtonWidth, kButtonHeight),
                     QRect(2 * kButtonWidth + kGap, 0, kSliderWidth, kButtonHeight),
                     QRect(2 * kButtonWidth + 2 * kGap + kSliderWidth, 0, kSliderWidth, kButtonHeight)};
    m_normalSize = QSize(m_normalRects[3].right() + 1 + kGap, kButtonHeight);
    for (size_t i = 0; i < m_normalRects.size(); ++i)
    {
        const int id = kControls[i].id;
        QWidget* control = nullptr;
        if (id == kDateSlider)
            control = new CDateSliderCtrl(m_panel);
        else if (id == kTimeSlider)
            control = new CTimeSliderCtrl(m_panel);
        else
        {
            auto* button = new CButtonImageST(m_panel);
            button->SetTooltipText(GetCommandTip(id));
            QObject::connect(button, &QAbstractButton::clicked, m_panel.data(), [this, id] {
                (void)HandleOwnCommand(static_cast<UINT>(id), nullptr);
                UpdateButtons();
            });
            control = button;
        }
        control->setObjectName(QStringLiteral("Control%1").arg(id));
        control->setProperty("dlgCtrlId", id);
        control->setStatusTip(ToQString(GetCommandPrompt(id)));
        if (id == kDateSlider || id == kTimeSlider)
            control->setToolTip(ToQString(GetCommandTip(id)));
        control->setGeometry(m_normalRects[i]);
    }
    m_panel->setFixedSize(m_normalSize);
    QObject::connect(GetDateSlider(), &QSlider::valueChanged, m_panel.data(), [this] { OnDateSlider(); });
    QObject::connect(GetTimeSlider(), &QSlider::valueChanged, m_panel.data(), [this] { OnTimeSlider(); });
}

void CShadowToolBar::InitControls()
{
    Refresh(true);
    GetDateSlider()->SetCompact(true);
    GetTimeSlider()->SetCompact(true);
    GetDateSlider()->SetFontNameId(kMonthFontNameId);
    GetDateSlider()->SetLabelId(kMonthLabelsId);
    GetTimeSlider()->InitTimeSlider(kNoonLabelId);
    ShowLayout(true);
}

QWidget* CShadowToolBar::GetControl(int id) const
{
    return m_panel != nullptr ? m_panel->findChild<QWidget*>(QStringLiteral("Control%1").arg(id)) : nullptr;
}

CButtonImageST* CShadowToolBar::GetButton(UINT id) const
{
    return dynamic_cast<CButtonImageST*>(GetControl(static_cast<int>(id)));
}

CDateSliderCtrl* CShadowToolBar::GetDateSlider() const
{
    return dynamic_cast<CDateSliderCtrl*>(GetControl(kDateSlider));
}

CTimeSliderCtrl* CShadowToolBar::GetTimeSlider() const
{
    return dynamic_cast<CTimeSliderCtrl*>(GetControl(kTimeSlider));
}

void CShadowToolBar::Refresh(bool full)
{
    const CShadowInfo* shadows = CurrentShadows();
    if (shadows == nullptr || m_panel == nullptr)
        return;
    m_time = shadows->GetDateTime();
    CDateSliderCtrl* date = GetDateSlider();
    if (!full && date->maximum() == m_time.GetDaysInYear())
    {
        const QSignalBlocker blocker(date);
        date->setValue(m_time.GetDayOfYear());
    }
    else
        date->InitDateSlider(m_time.GetDaysInYear(), m_time.GetDayOfYear());
    GetTimeSlider()->ShowDay(*shadows, m_time);
    UpdateButtons();
}

void CShadowToolBar::UpdateButtons()
{
    for (const UINT id : {kSettingsButton, kDisplayButton})
    {
        CCmdUI ui(id);
        if (CButtonImageST* button = GetButton(id); button != nullptr && HandleOwnCommand(id, &ui))
            button->SetCheck(ui.IsChecked() ? 1 : 0);
    }
}

void CShadowToolBar::OnNotify(const std::string& name, void* data)
{
    if (!m_applying && RefreshesBar(name, NotificationRecordCode(data)))
        Refresh(true);
}

void CShadowToolBar::Apply()
{
    const bool wasApplying = m_applying;
    m_applying = true;
    ApplyShadowTime(m_time);
    m_applying = wasApplying;
}

void CShadowToolBar::OnDateSlider()
{
    const CShadowInfo* shadows = CurrentShadows();
    if (shadows == nullptr)
        return;
    int month = 0;
    int day = 0;
    m_time.DayOfYearToDate(GetDateSlider()->value(), month, day);
    m_time = CUtcTime(m_time.GetYear(), month, day, m_time.GetHour(), m_time.GetMinute(), m_time.GetSecond());
    Apply();
    GetTimeSlider()->ShowDay(*shadows, m_time);
}

void CShadowToolBar::OnTimeSlider()
{
    const CShadowInfo* shadows = CurrentShadows();
    if (shadows == nullptr)
        return;
    m_time = GetTimeSlider()->GetTimeAtThumb(*shadows);
    Apply();
}

void CShadowToolBar::ToggleLayout()
{
    ShowLayout(!m_normalLayout);
}

void CShadowToolBar::ShowLayout(bool normal)
{
    m_normalLayout = normal;
    if (m_panel == nullptr)
        return;
    const QRect button = m_normalRects[0];
    const int w = button.width();
    const int h = button.height();
    for (size_t i = 0; i < m_normalRects.size(); ++i)
    {
        QWidget* control = GetControl(kControls[i].id);
        QRect place = m_normalRects[i];
        if (!normal && i < 2)
            place = QRect(place.left() + static_cast<int>(i) * kLargeButtonGrowth, place.top(),
                          w + kLargeButtonGrowth, h * 4 / 3);
        else if (!normal)
            place = QRect(place.left() + 2 * kLargeButtonGrowth, place.top() + kLargeSliderDrop, place.width(), h);
        control->setGeometry(place);
        if (i < 2)
            (void)static_cast<CButtonImageST*>(control)->LoadImages(
                "SVG", normal ? kControls[i].smallImage : kControls[i].largeImage, normal ? 16 : 24);
    }
    m_panel->setFixedSize(normal ? m_normalSize
                                 : QSize(m_normalSize.width() + 2 * kLargeButtonGrowth,
                                         h * 4 / 3 + kLargeBarExtraHeight));
}

void CShadowToolBar::StopObserving()
{
    if (!m_observing)
        return;
    GetNotificationCenter().RemoveObserver(this);
    m_observing = false;
}
