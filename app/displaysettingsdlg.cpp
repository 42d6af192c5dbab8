#include "app/displaysettingsdlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <algorithm>
#include <climits>

#include "app/buttonimagest.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarnwickmodel.h"
#include "platform/ui/dialogtemplate.h"
#include "render/hostservices.h"

namespace {

using Dlg = CDisplaySettingsDlg;

constexpr int kEditCount = 4;

const Dlg::EditBinding kEdits[kEditCount] = {
    {Dlg::kProfileWidth, Dlg::kProfiles, 1, 20, 1, 20, &CRenderingOptions::GetProfileWidth,
     &CRenderingOptions::SetProfileWidth},
    {Dlg::kDepthCueWidth, Dlg::kDepthCue, 1, 20, 1, 20, &CRenderingOptions::GetDepthCueWidth,
     &CRenderingOptions::SetDepthCueWidth},
    {Dlg::kExtensionLength, Dlg::kExtension, 0, 99, 0, INT_MAX, &CRenderingOptions::GetExtendLength,
     &CRenderingOptions::SetExtendLength},
    {Dlg::kEndpointLength, Dlg::kEndpoints, 1, 99, 1, 99, &CRenderingOptions::GetEndpointLength,
     &CRenderingOptions::SetEndpointLength}};

// The order Enter applies the edits in: endpoint length, depth-cue width, extension
// length, profile width.
constexpr int kApplyOrder[kEditCount] = {3, 1, 2, 0};

const Dlg::CheckBinding kChecks[] = {
    {Dlg::kEdges, [](const CRenderingOptions& o) { return o.GetDisplayEdges() != 0; },
     [](CRenderingOptions& o, bool on) { o.SetDisplayEdges(on ? 1 : 0); }},
    {Dlg::kProfiles, [](const CRenderingOptions& o) { return o.IsDrawProfiles(); },
     [](CRenderingOptions& o, bool on) { o.SetDrawProfiles(on); }},
    {Dlg::kDepthCue, [](const CRenderingOptions& o) { return o.IsDepthCue(); },
     [](CRenderingOptions& o, bool on) { o.SetDepthCue(on); }},
    {Dlg::kExtension, [](const CRenderingOptions& o) { return o.IsExtendEdges(); },
     [](CRenderingOptions& o, bool on) { o.SetExtendEdges(on); }},
    {Dlg::kEndpoints, [](const CRenderingOptions& o) { return o.IsDrawEndpoints(); },
     [](CRenderingOptions& o, bool on) { o.SetDrawEndpoints(on); }},
    {Dlg::kJitter, [](const CRenderingOptions& o) { return o.IsJitterEdges(); },
     [](CRenderingOptions& o, bool on) { o.SetJitterEdges(on); }}};

// The face-style buttons: id, picture, tip.
const struct
{
    int id;
    int image;
    int tip;
} kFaceButtons[] = {{Dlg::kWireframe, 424, 10088}, {Dlg::kTextured, 430, 10091}, {Dlg::kShaded, 428, 10090},
                    {Dlg::kHiddenLine, 427, 10089}, {Dlg::kXRay, 432, 10101},    {Dlg::kMonochrome, 410, 10092}};

// The edge-colour list shows "All same", "By material", "By axis" for modes 1, 0, 2.
int EdgeColorModeOfItem(int item)
{
    return item == 0 ? 1 : item == 1 ? 0 : 2;
}

int ItemOfEdgeColorMode(int mode)
{
    return mode == 1 ? 0 : mode == 0 ? 1 : 2;
}

const Dlg::CheckBinding* FindCheck(int id)
{
    for (const Dlg::CheckBinding& binding : kChecks)
        if (binding.id == id)
            return &binding;
    return nullptr;
}

int EditIndex(int id)
{
    for (int i = 0; i < kEditCount; ++i)
        if (kEdits[i].id == id)
            return i;
    return -1;
}

}  // namespace

CDisplaySettingsDlg::CDisplaySettingsDlg() : CTwDialog(kTemplateId)
{
    FollowNoticesWhileShown(this, {kRenderingOptionsChangeNotification, kResynchUINotification, kShadowNotification});
}

CDisplaySettingsDlg::~CDisplaySettingsDlg()
{
    DestroyWindow();
}

CRenderingOptions* CDisplaySettingsDlg::Options()
{
    CTarnwickModel* model = GetCurrentModel();
    return model != nullptr ? model->GetRenderingOptions() : nullptr;
}

void CDisplaySettingsDlg::CreateTemplateControls()
{
    CDialogTemplate t(*this);
    const int width = kClientWidth;
    int x = 8;
    for (const int id : {kWireframe, kHiddenLine, kShaded, kTextured, kMonochrome})
    {
        t.Place(id, new CButtonImageST, x, 6, 30, 30);
        x += id == kMonochrome ? 0 : 32;
    }
    t.Place(kXRay, new CButtonImageST, x + 12, 6, 30, 30);
    t.Place(kExpand, new CButtonImageST, width - 32, 6, 26, 30);
    t.Check(kEdges, CString("Edges"), 10, 46, 150, 20);
    const struct
    {
        int check;
        const char* text;
        int edit;
        int y;
    } rows[] = {{kProfiles, "&Profiles", kProfileWidth, 68},
                {kDepthCue, "&Depth cue", kDepthCueWidth, 90},
                {kExtension, "&Extension", kExtensionLength, 112},
                {kEndpoints, "Endpoints", kEndpointLength, 134}};
    for (const auto& row : rows)
    {
        t.Check(row.check, CString(row.text), 26, row.y, 130, 20);
        t.Edit(row.edit, 160, row.y, 48, 20)->setMaxLength(3);
    }
    t.Check(kJitter, CString("&Jitter"), 26, 156, 130, 20);
    t.Etched(kSeparator, 6, 182, width - 12, 2);
    t.Static(0, CString("Edge Color:"), 10, 192, 86, 22);
    t.DropList(kEdgeColor, {"All same", "By material", "By axis"}, 100, 192, width - 110, 22);
    t.Check(kUseSun, CString("Use sun for shading"), 10, 220, width - 20, 20);
    t.Check(kEnableTransparency, CString("Enable transparency"), 10, 242, width - 20, 20);
    t.Static(0, CString("Quality:"), 10, 268, 86, 22);
    t.DropList(kQuality, {"Faster", "Medium", "Nicer"}, 100, 268, width - 110, 22);
    SetClientSize(width, 298);
    SetTemplateOrigin(40, 80);
    SetWindowText(CString("Display Settings"));
    ConnectControls();
}

void CDisplaySettingsDlg::ConnectControls()
{
    for (const int id : {kWireframe, kHiddenLine, kShaded, kTextured})
        QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(id)), &QAbstractButton::clicked,
                         [this, id] { OnFaceStyle(id); });
    QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(kXRay)), &QAbstractButton::clicked,
                     [this] { OnXRay(); });
    QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(kExpand)), &QAbstractButton::clicked,
                     [this] { ToggleExpanded(); });
    for (const CheckBinding& binding : kChecks)
        QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(binding.id)), &QAbstractButton::clicked,
                         [this, &binding] { OnCheck(binding); });
    QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(kUseSun)), &QAbstractButton::clicked,
                     [this] { OnUseSun(); });
    QObject::connect(static_cast<QAbstractButton*>(GetDlgItem(kEnableTransparency)), &QAbstractButton::clicked,
                     [this] { OnEnableTransparency(); });
    QObject::connect(static_cast<QComboBox*>(GetDlgItem(kEdgeColor)), &QComboBox::activated,
                     [this](int item) { OnEdgeColor(item); });
    QObject::connect(static_cast<QComboBox*>(GetDlgItem(kQuality)), &QComboBox::activated,
                     [this](int item) { OnQuality(item); });
    for (int i = 0; i < kEditCount; ++i)
        ConnectEdit(kEdits[i].id, [this, i](bool typed) { OnEditDone(i, typed); });
}

bool CDisplaySettingsDlg::OnInitDialog()
{
    CTwDialog::OnInitDialog();
    for (const auto& button : kFaceButtons)
    {
        auto* control = static_cast<CButtonImageST*>(GetDlgItem(button.id));
        (void)control->LoadImages("SVG", button.image);
        control->SetTooltipText(button.tip);
    }
    ShowDlgItem(kMonochrome, false);
    SetUpExpandButton(kExpand, kSeparator);
    FullRefresh();
    return true;
}

void CDisplaySettingsDlg::OnShowWindow(bool show)
{
    CTwDialog::OnShowWindow(show);
    if (show)
        FullRefresh();
}

void CDisplaySettingsDlg::FullRefresh()
{
    const CRenderingOptions* options = Options();
    if (options == nullptr || !HasWindow())
        return;
    const CFlagGuard updating = UpdatingControls();
    for (const CheckBinding& binding : kChecks)
        RefreshCheck(binding.id);
    for (const EditBinding& binding : kEdits)
        RefreshEdit(binding.id);
    RefreshTransparency();
    m_textures = options->IsDisplayTextures();
    RefreshFaceStyle();
    RefreshEdgeColor();
    RefreshUseSun();
    RefreshButtons();
}

void CDisplaySettingsDlg::RefreshCheck(int id)
{
    const CRenderingOptions* options = Options();
    const CheckBinding* binding = FindCheck(id);
    if (options != nullptr && binding != nullptr)
        CheckDlgButton(id, binding->get(*options) ? 1 : 0);
}

void CDisplaySettingsDlg::RefreshEdit(int id)
{
    const CRenderingOptions* options = Options();
    const int index = EditIndex(id);
    if (options == nullptr || index < 0)
        return;
    const EditBinding& binding = kEdits[index];
    m_values[static_cast<size_t>(index)] =
        std::clamp((options->*binding.get)(), binding.shownMinimum, binding.shownMaximum);
    const CFlagGuard updating = UpdatingControls();
    SetDlgItemInt(id, m_values[static_cast<size_t>(index)]);
    ClearTyped(id);
}

void CDisplaySettingsDlg::RefreshFaceStyle()
{
    const CRenderingOptions* options = Options();
    if (options == nullptr)
        return;
    switch (options->GetRenderMode())
    {
    case 0: m_faceStyle = kFaceWireframe; break;
    case 1: m_faceStyle = kFaceHiddenLine; break;
    case 4:
        m_faceStyle = kFaceShaded;
        m_textures = true;
        break;
    case 5: m_faceStyle = kFaceMonochrome; break;
    default: m_faceStyle = kFaceShaded; break;
    }
}

void CDisplaySettingsDlg::RefreshTransparency()
{
    const CRenderingOptions* options = Options();
    if (options == nullptr)
        return;
    m_xray = options->IsTransparentDisplay();
    m_enableTransparency = options->IsEnableTransparency();
    CheckDlgButton(kEnableTransparency, m_enableTransparency ? 1 : 0);
    RefreshQuality();
}

void CDisplaySettingsDlg::RefreshQuality()
{
    const CRenderingOptions* options = Options();
    if (options == nullptr)
        return;
    m_quality = options->GetTransparencyQuality();
    const CFlagGuard updating = UpdatingControls();
    SetCurSel(kQuality, m_quality);
}

void CDisplaySettingsDlg::RefreshEdgeColor()
{
    const CRenderingOptions* options = Options();
    if (options == nullptr)
        return;
    m_edgeColorMode = options->GetEdgeColorMode();
    const CFlagGuard updating = UpdatingControls();
    SetCurSel(kEdgeColor, ItemOfEdgeColorMode(m_edgeColorMode));
}

void CDisplaySettingsDlg::RefreshUseSun()
{
    const CTarnwickModel* model = GetCurrentModel();
    const CShadowInfo* shadows = model != nullptr ? model->GetShadowInfo() : nullptr;
    if (shadows != nullptr)
        CheckDlgButton(kUseSun, shadows->IsUseSunForShading() ? 1 : 0);
}

void CDisplaySettingsDlg::RefreshButtons()
{
    if (!HasWindow())
        return;
    EnableDlgItem(kXRay, m_faceStyle != kFaceWireframe);
    for (const int id : {kWireframe, kHiddenLine, kShaded, kTextured, kMonochrome})
        static_cast<CButtonST*>(GetDlgItem(id))->SetCheck(0);
    const int pressed = m_faceStyle == kFaceWireframe    ? kWireframe
                        : m_faceStyle == kFaceHiddenLine ? kHiddenLine
                        : m_faceStyle == kFaceShaded     ? (m_textures ? kTextured : kShaded)
                                                         : kMonochrome;
    static_cast<CButtonST*>(GetDlgItem(pressed))->SetCheck(1);
    static_cast<CButtonST*>(GetDlgItem(kXRay))->SetCheck(m_xray ? 1 : 0);
    for (const EditBinding& binding : kEdits)
        EnableDlgItem(binding.id, IsDlgButtonChecked(binding.checkId) != 0);
    EnableDlgItem(kQuality, m_xray || m_enableTransparency);
    Invalidate();
}

void CDisplaySettingsDlg::Redraw()
{
    UpdateAllViewsOfActiveDoc();
}

void CDisplaySettingsDlg::OnFaceStyle(int id)
{
    CRenderingOptions* options = Options();
    if (IsUpdating() || options == nullptr)
        return;
    {
        const CFlagGuard applying = ApplyingChange();
        switch (id)
        {
        case kWireframe:
            options->SetRenderMode(0);
            m_faceStyle = kFaceWireframe;
            break;
        case kHiddenLine:
            options->SetRenderMode(1);
            m_faceStyle = kFaceHiddenLine;
            break;
        default:
            options->SetRenderMode(2);
            m_textures = id == kTextured;
            options->SetDisplayTextures(m_textures);
            m_faceStyle = kFaceShaded;
            break;
        }
    }
    RefreshButtons();
    Redraw();
}

void CDisplaySettingsDlg::OnXRay()
{
    CRenderingOptions* options = Options();
    if (IsUpdating() || options == nullptr)
        return;
    m_xray = static_cast<CButtonST*>(GetDlgItem(kXRay))->GetCheck() == 0;
    {
        const CFlagGuard applying = ApplyingChange();
        options->SetTransparentDisplay(m_xray);
    }
    RefreshButtons();
    Redraw();
}

void CDisplaySettingsDlg::OnCheck(const CheckBinding& binding)
{
    CRenderingOptions* options = Options();
    if (IsUpdating() || options == nullptr)
        return;
    {
        const CFlagGuard applying = ApplyingChange();
        binding.set(*options, IsDlgButtonChecked(binding.id) != 0);
    }
    RefreshButtons();
    Redraw();
}

void CDisplaySettingsDlg::OnEdgeColor(int item)
{
    CRenderingOptions* options = Options();
    if (IsUpdating() || options == nullptr)
        return;
    m_edgeColorMode = EdgeColorModeOfItem(item);
    {
        const CFlagGuard applying = ApplyingChange();
        options->SetEdgeColorMode(m_edgeColorMode);
    }
    Redraw();
}

void CDisplaySettingsDlg::OnQuality(int item)
{
    CRenderingOptions* options = Options();
    if (IsUpdating() || options == nullptr)
        return;
    m_quality = item;
    {
        const CFlagGuard applying = ApplyingChange();
        options->SetTransparencyQuality(item);
    }
    Redraw();
}

void CDisplaySettingsDlg::OnUseSun()
{
    CTarnwickModel* model = GetCurrentModel();
    CShadowInfo* shadows = model != nullptr ? model->GetShadowInfo() : nullptr;
    if (IsUpdating() || shadows == nullptr)
        return;
    {
        const CFlagGuard applying = ApplyingChange();
        shadows->SetUseSunForShading(IsDlgButtonChecked(kUseSun) != 0);
    }
    RefreshButtons();
    Redraw();
}

void CDisplaySettingsDlg::OnEnableTransparency()
{
    CRenderingOptions* options = Options();
    if (IsUpdating() || options == nullptr)
        return;
    m_enableTransparency = IsDlgButtonChecked(kEnableTransparency) != 0;
    if (m_enableTransparency != options->IsEnableTransparency())
    {
        const CFlagGuard applying = ApplyingChange();
        options->SetEnableTransparency(m_enableTransparency);
    }
    RefreshButtons();
    Redraw();
}

bool CDisplaySettingsDlg::ApplyEdit(int index)
{
    CRenderingOptions* options = Options();
    const EditBinding& binding = kEdits[index];
    ClearTyped(binding.id);
    int value = 0;
    if (options == nullptr || !ReadDlgItemIntInRange(binding.id, binding.minimum, binding.maximum, value))
        return false;
    m_values[static_cast<size_t>(index)] = value;
    {
        const CFlagGuard applying = ApplyingChange();
        (options->*binding.set)(value);
    }
    return true;
}

void CDisplaySettingsDlg::OnEditDone(int index, bool typed)
{
    const CRenderingOptions* options = Options();
    if (options == nullptr)
        return;
    if (typed)
    {
        if (ApplyEdit(index))
        {
            RefreshButtons();
            Redraw();
        }
        return;
    }
    const EditBinding& binding = kEdits[index];
    const int stored = (options->*binding.get)();
    if (stored != m_values[static_cast<size_t>(index)])
    {
        const CFlagGuard updating = UpdatingControls();
        SetDlgItemText(binding.id, CString::Formatted("%d", stored));
    }
}

void CDisplaySettingsDlg::OnOK()
{
    bool applied = false;
    for (const int index : kApplyOrder)
        if (IsTyped(kEdits[index].id))
            applied = ApplyEdit(index) || applied;
    if (applied)
    {
        RefreshButtons();
        Redraw();
    }
}

void CDisplaySettingsDlg::OnCancel()
{
    // Typing that was never applied goes back to the options' values.
    for (const EditBinding& binding : kEdits)
        if (IsTyped(binding.id))
            RefreshEdit(binding.id);
    CTwDialog::OnCancel();
}

void CDisplaySettingsDlg::OnNotify(const std::string& name, void* data)
{
    if (IsApplying() || !HasWindow())
        return;
    if (name == kResynchUINotification)
        FullRefresh();
    else if (name == kShadowNotification && data != nullptr &&
             static_cast<const CShadowNotificationData*>(data)->code == kShadowShadingChanged)
        RefreshUseSun();
    else if (name == kRenderingOptionsChangeNotification && data != nullptr)
        OnRenderingOptionsChange(static_cast<const CRenderingOptionsChange*>(data)->id);
}

void CDisplaySettingsDlg::OnRenderingOptionsChange(int id)
{
    if (Options() == nullptr)
        return;
    if (id == kRenderingAssigned)
    {
        FullRefresh();
        return;
    }
    const CFlagGuard updating = UpdatingControls();
    switch (id)
    {
    case kRenderingRenderMode: RefreshFaceStyle(); break;
    case kRenderingTransparency: RefreshTransparency(); break;
    case kRenderingTextures: m_textures = Options()->IsDisplayTextures(); break;
    case kRenderingEdges:
        RefreshCheck(kEdges);
        RefreshEdgeColor();
        break;
    case kRenderingEdgeColorMode: RefreshEdgeColor(); break;
    case kRenderingJitter: RefreshCheck(kJitter); break;
    case 7:
    case kRenderingExtension: RefreshCheck(kExtension); break;
    case kRenderingProfiles: RefreshCheck(kProfiles); break;
    case kRenderingProfileWidth: RefreshEdit(kProfileWidth); break;
    case kRenderingExtensionLength: RefreshEdit(kExtensionLength); break;
    case kRenderingTransparencyQuality:
        if (Options()->IsEnableTransparency())
            FullRefresh();
        else
            RefreshQuality();
        break;
    case kRenderingDepthCue: RefreshCheck(kDepthCue); break;
    case kRenderingEndpoints: RefreshCheck(kEndpoints); break;
    case kRenderingDepthCueWidth: RefreshEdit(kDepthCueWidth); break;
    case kRenderingEndpointLength: RefreshEdit(kEndpointLength); break;
    default: break;
    }
    RefreshButtons();
}
