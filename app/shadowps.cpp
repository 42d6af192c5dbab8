#include "app/shadowps.h"

#include <QAbstractButton>
#include <QLineEdit>
#include <QLocale>
#include <QRegularExpressionValidator>
#include <QSignalBlocker>
#include <cstring>
#include <algorithm>
#include <iterator>
#include <utility>

#include "app/buttonimagest.h"
#include "app/datesliderctrl.h"
#include "app/dtpicker.h"
#include "app/spinbuttonctrl.h"
#include "app/timesliderctrl.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "platform/ui/dialogtemplate.h"
#include "platform/ui/messagebox.h"
#include "render/hostservices.h"
#include "render/tarnisview.h"

namespace {

using Dlg = CShadowPS;

const Dlg::IntensityBinding kIntensities[] = {
    {Dlg::kLightSlider, Dlg::kLightEdit, Dlg::kLightSpin, &CShadowInfo::GetLightIntensity,
     &CShadowInfo::SetLightIntensity},
    {Dlg::kDarkSlider, Dlg::kDarkEdit, Dlg::kDarkSpin, &CShadowInfo::GetDarkIntensity,
     &CShadowInfo::SetDarkIntensity}};

constexpr int kMaxIntensity = CShadowInfo::kMaxIntensity;
constexpr int kIntensityPageSize = 10;
constexpr int kFirstYear = 1970;
constexpr int kLastYear = 2037;
// Between a picker and its slider, and after the slider.
constexpr int kPickerGap = 8;
constexpr int kYearMessageId = 21612;
constexpr int kNoonLabelId = 10053;
constexpr int kMonthFontNameId = 10560;
constexpr int kMonthLabelsId = 10561;
}  // namespace

int NotificationRecordCode(const void* data)
{
    if (data == nullptr)
        return -1;
    std::int32_t code = 0;
    std::memcpy(&code, data, sizeof(code));
    return code;
}

void ApplyShadowTime(const CUtcTime& time)
{
    CTarnwickModel* model = GetCurrentModel();
    CShadowInfo* shadows = model != nullptr ? model->GetShadowInfo() : nullptr;
    if (shadows == nullptr)
        return;
    if (time != shadows->GetDateTime())
        shadows->SetDateTime(time);
    if (shadows->IsDisplayShadows() || shadows->IsUseSunForShading())
        UpdateAllViewsOfActiveDoc();
}

CShadowPS::CShadowPS() : CTwDialog(kTemplateId)
{
    FollowNoticesWhileShown(this, {kRenderingOptionsChangeNotification, kAnimationNotification, kShadowNotification,
                                   kResynchUINotification});
}

CShadowPS::~CShadowPS()
{
    DestroyWindow();
}

CShadowInfo* CShadowPS::Shadows()
{
    CTarnwickModel* model = GetCurrentModel();
    return model != nullptr ? model->GetShadowInfo() : nullptr;
}

void CShadowPS::CreateTemplateControls()
{
    CDialogTemplate t(*this);
    const int width = kClientWidth;
    t.Check(kDisplayShadows, CString("Display shadows"), 10, 8, 200, 20);
    t.Place(kExpand, new CButtonImageST, width - 32, 4, 26, 26);
    t.Static(0, CString("Time"), 10, 36, 40, 20);
    t.Place(kTimePicker, new CDTPicker, 50, 35, 96, 22);
    t.Place(kTimeSlider, new CTimeSliderCtrl, 154, 34, width - 162, 24);
    t.Static(0, CString("Date"), 10, 64, 40, 20);
    t.Place(kDatePicker, new CDTPicker, 50, 63, 96, 22);
    t.Place(kDateSlider, new CDateSliderCtrl, 154, 62, width - 162, 24);
    t.Etched(kSeparator, 6, 94, width - 12, 2);
    const struct
    {
        const char* label;
        int row;
    } rows[] = {{"Light", 104}, {"Dark", 132}};
    for (size_t i = 0; i < std::size(rows); ++i)
    {
        const IntensityBinding& binding = kIntensities[i];
        const int y = rows[i].row;
        t.Static(0, CString(rows[i].label), 10, y + 2, 40, 20);
        t.Place(binding.sliderId, new CGradientSliderCtrl, 50, y, width - 124, 24);
        QLineEdit* edit = t.Edit(binding.editId, width - 68, y + 1, 44, 22);
        edit->setMaxLength(3);
        edit->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]*")), edit));
        t.Place(binding.spinId, new CSpinButtonCtrl, width - 24, y + 1, 16, 22);
    }
    t.Static(0, CString("Display:"), 10, 164, 54, 20);
    t.Check(kOnFaces, CString("On faces"), 64, 162, 80, 22);
    t.Check(kOnGround, CString("On ground"), 146, 162, 86, 22);
    t.Check(kFromEdges, CString("From edges"), 234, 162, 94, 22);
    SetClientSize(width, 192);
    SetTemplateOrigin(40, 120);
    SetWindowText(CString("Shadow Settings"));
    ConnectControls();
}

void CShadowPS::ConnectControls()
{
    const auto button = [this](int id) { return static_cast<QAbstractButton*>(GetDlgItem(id)); };
    QObject::connect(button(kDisplayShadows), &QAbstractButton::clicked, [this] { OnDisplayShadows(); });
    QObject::connect(button(kFromEdges), &QAbstractButton::clicked, [this] { OnFromEdges(); });
    for (const int id : {kOnFaces, kOnGround})
        QObject::connect(button(id), &QAbstractButton::clicked, [this, id] { OnSurface(id); });
    QObject::connect(button(kExpand), &QAbstractButton::clicked, [this] { ToggleExpanded(); });
    for (const IntensityBinding& binding : kIntensities)
    {
        ConnectEdit(binding.editId, [this, &binding](bool typed) { OnIntensityEditDone(binding, typed); });
        QObject::connect(static_cast<QSlider*>(GetDlgItem(binding.sliderId)), &QSlider::valueChanged,
                         [this, &binding] { OnIntensitySlider(binding); });
        static_cast<CSpinButtonCtrl*>(GetDlgItem(binding.spinId))
            ->SetDeltaHandler([this, &binding](int, int delta) { return !OnIntensitySpin(binding, delta); });
    }
    QObject::connect(static_cast<QSlider*>(GetDlgItem(kDateSlider)), &QSlider::valueChanged,
                     [this] { OnDateSlider(); });
    QObject::connect(static_cast<QSlider*>(GetDlgItem(kTimeSlider)), &QSlider::valueChanged,
                     [this] { OnTimeSlider(); });
    QObject::connect(static_cast<QDateTimeEdit*>(GetDlgItem(kDatePicker)), &QDateTimeEdit::dateTimeChanged,
                     [this] { OnDatePicker(); });
    QObject::connect(static_cast<QDateTimeEdit*>(GetDlgItem(kTimePicker)), &QDateTimeEdit::dateTimeChanged,
                     [this] { OnTimePicker(); });
}

void CShadowPS::FitPickers()
{
    // A locale's date (a month's name, a four-digit year) may not fit the template's
    // width: both pickers grow to the wider one's need and the sliders give way.
    const std::pair<int, int> rows[] = {{kTimePicker, kTimeSlider}, {kDatePicker, kDateSlider}};
    int width = 0;
    for (const auto& [picker, slider] : rows)
        width = std::max({width, GetDlgItem(picker)->width(),
                          static_cast<CDTPicker*>(GetDlgItem(picker))->GetWholeTextWidth()});
    for (const auto& [picker, slider] : rows)
    {
        QWidget* pickerWidget = GetDlgItem(picker);
        QWidget* sliderWidget = GetDlgItem(slider);
        pickerWidget->resize(width, pickerWidget->height());
        const int sliderLeft = pickerWidget->x() + width + kPickerGap;
        sliderWidget->setGeometry(sliderLeft, sliderWidget->y(), kClientWidth - sliderLeft - kPickerGap,
                                  sliderWidget->height());
    }
}

bool CShadowPS::OnInitDialog()
{
    // The controls take their first values before their handlers may act.
    const CFlagGuard updating = UpdatingControls();
    CTwDialog::OnInitDialog();
    SetUpExpandButton(kExpand, kSeparator);
    static_cast<CGradientSliderCtrl*>(GetDlgItem(kTimeSlider))->SetCompact(true);
    static_cast<CGradientSliderCtrl*>(GetDlgItem(kDateSlider))->SetCompact(true);
    static_cast<CDTPicker*>(GetDlgItem(kTimePicker))->SetCustomFormat(TimePickerFormat(QLocale::system()));
    QString dateFormat = QLocale::system().dateFormat(QLocale::ShortFormat);
    // A year of two digits could not be told from another century.
    if (!dateFormat.contains(QStringLiteral("yyyy")))
        dateFormat.replace(QStringLiteral("yy"), QStringLiteral("yyyy"));
    static_cast<CDTPicker*>(GetDlgItem(kDatePicker))->setDisplayFormat(dateFormat);
    FitPickers();
    LoadFromShadowInfo(nullptr);
    UpdateControls(true);
    return true;
}

bool CShadowPS::WantsKey(int controlId, UINT key) const
{
    return controlId == kTimePicker || controlId == kDatePicker || CTwDialog::WantsKey(controlId, key);
}

void CShadowPS::OnShowWindow(bool show)
{
    CTwDialog::OnShowWindow(show);
    if (show)
        Refresh();
}

void CShadowPS::OnNotify(const std::string& name, void* data)
{
    if (name == kShadowNotification || name == kResynchUINotification)
        Refresh();
    else if ((name == kRenderingOptionsChangeNotification || name == kAnimationNotification) && NotificationRecordCode(data) == 2)
        Refresh();
}

void CShadowPS::Refresh()
{
    if (IsApplying() || !HasWindow())
        return;
    LoadFromShadowInfo(nullptr);
    UpdateControls(true);
}

void CShadowPS::LoadFromShadowInfo(const CShadowInfo* shadows)
{
    if (shadows == nullptr)
        shadows = Shadows();
    if (shadows == nullptr)
        return;
    m_time = shadows->GetDateTime();
    m_light = shadows->GetLightIntensity();
    m_dark = shadows->GetDarkIntensity();
    m_displayShadows = shadows->IsDisplayShadows();
    m_fromEdges = shadows->IsFromEdges();
    m_onGround = shadows->IsOnGround();
    m_onFaces = shadows->IsOnFaces();
}

void CShadowPS::UpdateControls(bool full)
{
    const CFlagGuard updating = UpdatingControls();
    if (!full)
        static_cast<QSlider*>(GetDlgItem(kDateSlider))->setValue(m_time.GetDayOfYear());
    else
    {
        UpdateIntensityControls();
        UpdatePickers();
        auto* date = static_cast<CDateSliderCtrl*>(GetDlgItem(kDateSlider));
        date->InitDateSlider(m_time.GetDaysInYear(), m_time.GetDayOfYear());
        date->SetFontNameId(kMonthFontNameId);
        date->SetLabelId(kMonthLabelsId);
        static_cast<CTimeSliderCtrl*>(GetDlgItem(kTimeSlider))->InitTimeSlider(kNoonLabelId);
        Invalidate();
    }
    CheckDlgButton(kOnGround, m_onGround ? 1 : 0);
    CheckDlgButton(kOnFaces, m_onFaces ? 1 : 0);
    CheckDlgButton(kFromEdges, m_fromEdges ? 1 : 0);
    CheckDlgButton(kDisplayShadows, m_displayShadows ? 1 : 0);
    EnableControls();
    UpdateTimeSlider();
    EnableControls();
}

void CShadowPS::UpdateIntensityControls()
{
    for (const IntensityBinding& binding : kIntensities)
    {
        ClearTyped(binding.editId);
        const int value = Intensity(binding);
        auto* slider = static_cast<CGradientSliderCtrl*>(GetDlgItem(binding.sliderId));
        const QSignalBlocker blocker(slider);
        slider->setRange(0, kMaxIntensity);
        slider->SetStartColor(RGB(0, 0, 0));
        slider->SetEndColor(RGB(255, 255, 255));
        slider->setSingleStep(1);
        slider->setPageStep(kIntensityPageSize);
        slider->setValue(value);
        auto* spin = static_cast<CSpinButtonCtrl*>(GetDlgItem(binding.spinId));
        spin->SetRange(0, kMaxIntensity);
        spin->SetPos(value);
        SetDlgItemInt(binding.editId, value);
    }
}

void CShadowPS::UpdatePickers()
{
    auto* timePicker = static_cast<CDTPicker*>(GetDlgItem(kTimePicker));
    auto* datePicker = static_cast<CDTPicker*>(GetDlgItem(kDatePicker));
    const QSignalBlocker timeBlocker(timePicker);
    const QSignalBlocker dateBlocker(datePicker);
    timePicker->SetHour(m_time.GetHour());
    timePicker->SetMinute(m_time.GetMinute());
    timePicker->SetSecond(m_time.GetSecond());
    datePicker->SetYear(m_time.GetYear());
    datePicker->SetDay(1);
    datePicker->SetMonth(m_time.GetMonth());
    datePicker->SetDay(m_time.GetDay());
}

void CShadowPS::UpdateTimeSlider()
{
    if (const CShadowInfo* shadows = Shadows())
        static_cast<CTimeSliderCtrl*>(GetDlgItem(kTimeSlider))->ShowDay(*shadows, m_time);
}

bool CShadowPS::IsStencilViewActive() const
{
    const auto* view = dynamic_cast<const CTarnisView*>(GetActiveTarnisView());
    return view != nullptr && view->HasStencilBuffer();
}

void CShadowPS::EnableControls()
{
    EnableDlgItem(kOnGround, m_displayShadows);
    EnableDlgItem(kFromEdges, m_displayShadows);
    const CTarnwickModel* model = GetCurrentModel();
    const CRenderingOptions* options = model != nullptr ? model->GetRenderingOptions() : nullptr;
    const bool xray = options != nullptr && options->IsTransparentDisplay();
    if (IsStencilViewActive() && !xray)
    {
        EnableDlgItem(kOnFaces, m_displayShadows);
        return;
    }
    // Only the boxes say so; the settings keep their switches for a view that can.
    const CFlagGuard updating = UpdatingControls();
    CheckDlgButton(kOnFaces, 0);
    EnableDlgItem(kOnFaces, false);
    CheckDlgButton(kOnGround, 1);
    EnableDlgItem(kOnGround, false);
}

void CShadowPS::Redraw()
{
    UpdateAllViewsOfActiveDoc();
}

void CShadowPS::ApplyTime()
{
    const CFlagGuard applying = ApplyingChange();
    ApplyShadowTime(m_time);
}

int& CShadowPS::Intensity(const IntensityBinding& binding)
{
    return binding.sliderId == kLightSlider ? m_light : m_dark;
}

void CShadowPS::SetIntensity(const IntensityBinding& binding, int value)
{
    Intensity(binding) = value;
    if (CShadowInfo* shadows = Shadows())
    {
        const CFlagGuard applying = ApplyingChange();
        (shadows->*binding.set)(value);
    }
}

void CShadowPS::OnIntensityEditDone(const IntensityBinding& binding, bool typed)
{
    if (!typed)
        return;
    // Cleared first: the message box below takes the focus and ends the editing again.
    ClearTyped(binding.editId);
    int value = 0;
    if (Shadows() == nullptr || GetDlgItemText(binding.editId).IsEmpty() ||
        !ReadDlgItemIntInRange(binding.editId, 0, kMaxIntensity, value))
    {
        // The edit and the slider keep showing one value.
        const CFlagGuard updating = UpdatingControls();
        SetDlgItemInt(binding.editId, Intensity(binding));
        return;
    }
    SetIntensity(binding, value);
    {
        const CFlagGuard updating = UpdatingControls();
        auto* slider = static_cast<QSlider*>(GetDlgItem(binding.sliderId));
        const QSignalBlocker blocker(slider);
        slider->setValue(value);
        static_cast<CSpinButtonCtrl*>(GetDlgItem(binding.spinId))->SetPos(value);
    }
    Redraw();
}

bool CShadowPS::OnIntensitySpin(const IntensityBinding& binding, int delta)
{
    if (IsUpdating() || Shadows() == nullptr)
        return false;
    const int value = Intensity(binding) + delta;
    if (value < 0 || value > kMaxIntensity)
        return false;
    SetIntensity(binding, value);
    {
        const CFlagGuard updating = UpdatingControls();
        auto* slider = static_cast<QSlider*>(GetDlgItem(binding.sliderId));
        const QSignalBlocker blocker(slider);
        slider->setValue(value);
        SetDlgItemInt(binding.editId, value);
        ClearTyped(binding.editId);
    }
    Redraw();
    return true;
}

void CShadowPS::OnIntensitySlider(const IntensityBinding& binding)
{
    if (IsUpdating() || Shadows() == nullptr)
        return;
    const int value = static_cast<QSlider*>(GetDlgItem(binding.sliderId))->value();
    SetIntensity(binding, value);
    {
        const CFlagGuard updating = UpdatingControls();
        SetDlgItemInt(binding.editId, value);
        ClearTyped(binding.editId);
        static_cast<CSpinButtonCtrl*>(GetDlgItem(binding.spinId))->SetPos(value);
    }
    Redraw();
}

void CShadowPS::OnDateSlider()
{
    if (IsUpdating() || Shadows() == nullptr)
        return;
    int month = 0;
    int day = 0;
    m_time.DayOfYearToDate(static_cast<QSlider*>(GetDlgItem(kDateSlider))->value(), month, day);
    m_time = CUtcTime(m_time.GetYear(), month, day, m_time.GetHour(), m_time.GetMinute(), m_time.GetSecond());
    ApplyTime();
    const CFlagGuard updating = UpdatingControls();
    UpdateTimeSlider();
    auto* picker = static_cast<CDTPicker*>(GetDlgItem(kDatePicker));
    const QSignalBlocker blocker(picker);
    picker->SetDay(1);
    picker->SetMonth(month);
    picker->SetDay(day);
}

void CShadowPS::OnTimeSlider()
{
    const CShadowInfo* shadows = Shadows();
    if (IsUpdating() || shadows == nullptr)
        return;
    m_time = static_cast<CTimeSliderCtrl*>(GetDlgItem(kTimeSlider))->GetTimeAtThumb(*shadows);
    ApplyTime();
    const CFlagGuard updating = UpdatingControls();
    auto* picker = static_cast<CDTPicker*>(GetDlgItem(kTimePicker));
    const QSignalBlocker blocker(picker);
    picker->SetHour(m_time.GetHour());
    picker->SetMinute(m_time.GetMinute());
    picker->update();
}

bool CShadowPS::DoDataExchange()
{
    int light = 0;
    int dark = 0;
    if (!ReadDlgItemIntInRange(kDarkEdit, 0, kMaxIntensity, dark) ||
        !ReadDlgItemIntInRange(kLightEdit, 0, kMaxIntensity, light))
        return false;
    m_light = static_cast<QSlider*>(GetDlgItem(kLightSlider))->value();
    m_dark = static_cast<QSlider*>(GetDlgItem(kDarkSlider))->value();
    m_onFaces = IsDlgButtonChecked(kOnFaces) != 0;
    m_onGround = IsDlgButtonChecked(kOnGround) != 0;
    m_fromEdges = IsDlgButtonChecked(kFromEdges) != 0;
    m_displayShadows = IsDlgButtonChecked(kDisplayShadows) != 0;
    const auto* timePicker = static_cast<CDTPicker*>(GetDlgItem(kTimePicker));
    const auto* datePicker = static_cast<CDTPicker*>(GetDlgItem(kDatePicker));
    const int year = datePicker->GetYear();
    // The calendar functions stop early in 2038 on some systems; the years a model
    // stores stay inside what every reader of the file can take.
    if (year > kLastYear || year < kFirstYear)
    {
        AfxMessageBox(kYearMessageId, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    m_time = CUtcTime(year, datePicker->GetMonth(), datePicker->GetDay(), timePicker->GetHour(),
                      timePicker->GetMinute(), timePicker->GetSecond());
    return true;
}

bool CShadowPS::ApplyPickers()
{
    if (IsUpdating() || Shadows() == nullptr)
        return false;
    if (!DoDataExchange())
    {
        // A refused date or time leaves the settings alone, and the pickers show them again.
        const CFlagGuard updating = UpdatingControls();
        UpdatePickers();
        return false;
    }
    ApplyTime();
    return true;
}

void CShadowPS::OnDatePicker()
{
    if (!ApplyPickers())
        return;
    const CFlagGuard updating = UpdatingControls();
    static_cast<CDateSliderCtrl*>(GetDlgItem(kDateSlider))
        ->InitDateSlider(m_time.GetDaysInYear(), m_time.GetDayOfYear());
    UpdateTimeSlider();
}

void CShadowPS::OnTimePicker()
{
    if (!ApplyPickers())
        return;
    const CFlagGuard updating = UpdatingControls();
    auto* slider = static_cast<QSlider*>(GetDlgItem(kTimeSlider));
    const QSignalBlocker blocker(slider);
    slider->setValue(m_time.GetMinuteOfDay());
}

void CShadowPS::OnDisplayShadows()
{
    CShadowInfo* shadows = Shadows();
    if (IsUpdating() || shadows == nullptr)
        return;
    m_displayShadows = IsDlgButtonChecked(kDisplayShadows) != 0;
    if (m_displayShadows != shadows->IsDisplayShadows())
    {
        const CFlagGuard applying = ApplyingChange();
        shadows->SetDisplayShadows(m_displayShadows);
    }
    Redraw();
    EnableControls();
}

void CShadowPS::OnFromEdges()
{
    CShadowInfo* shadows = Shadows();
    if (IsUpdating() || shadows == nullptr)
        return;
    m_fromEdges = IsDlgButtonChecked(kFromEdges) != 0;
    {
        const CFlagGuard applying = ApplyingChange();
        shadows->SetFromEdges(m_fromEdges);
    }
    Redraw();
}

void CShadowPS::OnSurface(int clickedId)
{
    CShadowInfo* shadows = Shadows();
    if (IsUpdating() || shadows == nullptr)
        return;
    // Shadows need somewhere to fall: clearing the last of the two checks the other.
    if (IsDlgButtonChecked(kOnFaces) == 0 && IsDlgButtonChecked(kOnGround) == 0)
    {
        const CFlagGuard updating = UpdatingControls();
        CheckDlgButton(clickedId == kOnFaces ? kOnGround : kOnFaces, 1);
    }
    m_onFaces = IsDlgButtonChecked(kOnFaces) != 0;
    m_onGround = IsDlgButtonChecked(kOnGround) != 0;
    {
        const CFlagGuard applying = ApplyingChange();
        shadows->SetOnFaces(m_onFaces);
        shadows->SetOnGround(m_onGround);
    }
    Redraw();
}
