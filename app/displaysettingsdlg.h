#pragma once
// CDisplaySettingsDlg: the "Display Settings" tool window. Its controls set the current
// model's rendering options (face style, X-ray, edge effects and their sizes, edge
// colour, transparency and its quality) and the use of the sun for shading, each at once
// with every view redrawn; while it is shown it follows the options' and the shadows'
// notices, so a change made elsewhere (a toolbar, a page, an undo) shows in it.
#include <array>

#include "app/twdialog.h"
#include "foundation/notificationcenter.h"

class CRenderingOptions;

class CDisplaySettingsDlg : public CTwDialog, public IObserver
{
public:
    static constexpr UINT kTemplateId = 365;

    // Control ids.
    static constexpr int kWireframe = 1005;
    static constexpr int kHiddenLine = 1006;
    static constexpr int kShaded = 1007;
    static constexpr int kTextured = 1027;
    static constexpr int kMonochrome = 1287;
    static constexpr int kXRay = 1008;
    static constexpr int kExpand = 1306;
    static constexpr int kEdges = 1327;
    static constexpr int kProfiles = 1031;
    static constexpr int kProfileWidth = 1033;
    static constexpr int kDepthCue = 1043;
    static constexpr int kDepthCueWidth = 1040;
    static constexpr int kExtension = 1030;
    static constexpr int kExtensionLength = 1032;
    static constexpr int kEndpoints = 1041;
    static constexpr int kEndpointLength = 1028;
    static constexpr int kJitter = 1009;
    static constexpr int kSeparator = 1310;
    static constexpr int kEdgeColor = 1311;
    static constexpr int kUseSun = 1313;
    static constexpr int kEnableTransparency = 1316;
    static constexpr int kQuality = 1312;

    // Face styles.
    enum FaceStyle
    {
        kFaceWireframe = 0,
        kFaceHiddenLine = 1,
        kFaceShaded = 2,
        kFaceMonochrome = 3
    };

    CDisplaySettingsDlg();
    ~CDisplaySettingsDlg() override;

    [[nodiscard]] CString GetSectionName() const override { return CString("DazaviDisplaySettings"); }

    void CreateTemplateControls() override;
    bool OnInitDialog() override;
    void OnShowWindow(bool show) override;
    // Applies every changed edit; the window stays open.
    void OnOK() override;
    void OnCancel() override;
    void OnNotify(const std::string& name, void* data) override;

    [[nodiscard]] int GetFaceStyle() const { return m_faceStyle; }

    // One edit box and its option: the range typed values must keep, the range a stored
    // value shows clamped to, and the check box that enables it.
    struct EditBinding
    {
        int id;
        int checkId;
        int minimum;
        int maximum;
        int shownMinimum;
        int shownMaximum;
        int (CRenderingOptions::*get)() const;
        void (CRenderingOptions::*set)(int);
    };
    // A check box and its option.
    struct CheckBinding
    {
        int id;
        bool (*get)(const CRenderingOptions&);
        void (*set)(CRenderingOptions&, bool);
    };

private:
    [[nodiscard]] static CRenderingOptions* Options();
    void ConnectControls();
    void FullRefresh();
    void RefreshButtons();
    void RefreshCheck(int id);
    void RefreshEdit(int id);
    void RefreshFaceStyle();
    void RefreshTransparency();
    void RefreshEdgeColor();
    void RefreshUseSun();
    void RefreshQuality();
    void OnFaceStyle(int id);
    void OnXRay();
    void OnCheck(const CheckBinding& binding);
    void OnEdgeColor(int item);
    void OnQuality(int item);
    void OnUseSun();
    void OnEnableTransparency();
    void OnEditDone(int index, bool typed);
    // Reads and sets one edit's value; false when the value was refused.
    bool ApplyEdit(int index);
    void OnRenderingOptionsChange(int id);
    void Redraw();

    int m_faceStyle = kFaceShaded;
    bool m_textures = false;
    bool m_xray = false;
    bool m_enableTransparency = false;
    int m_edgeColorMode = 1;
    int m_quality = 0;
    // The edits' bound values.
    std::array<int, 4> m_values{};
};
