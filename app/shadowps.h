#pragma once
// CShadowPS: the "Shadow Settings" tool window. Its controls set the current model's
// shadow settings (the date and time of the sun, the light and dark intensities, shadows
// shown or not, on faces, on ground, from edges) at once, with every view redrawn; while
// it is shown it follows the shadows', the rendering options' and the animations'
// notices, so a change made elsewhere (the Shadows bar or command, a page) shows in it.
// Typed years, times and intensities are checked before they reach the model (a typed
// intensity when the typing ends, so that no partly typed value is applied), and one of
// "On faces" and "On ground" always stays on.
#include "app/twdialog.h"
#include "document/utctime.h"
#include "foundation/notificationcenter.h"

class CShadowInfo;

// Gives the current model's shadow settings the time, when it differs, and redraws the
// views when shadows show or the sun shades the faces. Nothing without a model.
void ApplyShadowTime(const CUtcTime& time);
// The first 32-bit word of a notice's record (the code most records start with), -1
// without a record.
[[nodiscard]] int NotificationRecordCode(const void* data);

class CShadowPS : public CTwDialog, public IObserver
{
public:
    static constexpr UINT kTemplateId = 361;

    // Control ids.
    static constexpr int kDisplayShadows = 1020;
    static constexpr int kTimePicker = 1021;
    static constexpr int kTimeSlider = 1098;
    static constexpr int kDatePicker = 1022;
    static constexpr int kDateSlider = 1097;
    static constexpr int kLightSlider = 1095;
    static constexpr int kLightEdit = 1019;
    static constexpr int kLightSpin = 1099;
    static constexpr int kDarkSlider = 1096;
    static constexpr int kDarkEdit = 1012;
    static constexpr int kDarkSpin = 1200;
    static constexpr int kExpand = 1294;
    static constexpr int kSeparator = 1310;
    static constexpr int kOnFaces = 1084;
    static constexpr int kOnGround = 1085;
    static constexpr int kFromEdges = 1086;

    CShadowPS();
    ~CShadowPS() override;

    [[nodiscard]] CString GetSectionName() const override { return CString("DazaviShadows"); }
    // The date and time pickers take every key typed into them.
    [[nodiscard]] bool WantsKey(int controlId, UINT key) const override;

    void CreateTemplateControls() override;
    bool OnInitDialog() override;
    void OnShowWindow(bool show) override;
    void OnNotify(const std::string& name, void* data) override;

    [[nodiscard]] const CUtcTime& GetShownTime() const { return m_time; }

    // One intensity: its slider, edit box and spin, and its setting.
    struct IntensityBinding
    {
        int sliderId;
        int editId;
        int spinId;
        int (CShadowInfo::*get)() const;
        void (CShadowInfo::*set)(int);
    };

protected:
    // Shadows on faces need the main model view with an 8-bit stencil buffer.
    [[nodiscard]] virtual bool IsStencilViewActive() const;

private:
    [[nodiscard]] static CShadowInfo* Shadows();
    void ConnectControls();
    // Widens the pickers to what their formats show.
    void FitPickers();
    void Refresh();
    void LoadFromShadowInfo(const CShadowInfo* shadows);
    void UpdateControls(bool full);
    void UpdateIntensityControls();
    void UpdatePickers();
    void UpdateTimeSlider();
    void EnableControls();
    void Redraw();
    void ApplyTime();
    // Reads every control; false, after a message, when a value is refused.
    bool DoDataExchange();
    // Applies the pickers' date and time; false when there was nothing to apply or a
    // value was refused.
    bool ApplyPickers();
    [[nodiscard]] int& Intensity(const IntensityBinding& binding);
    void SetIntensity(const IntensityBinding& binding, int value);
    void OnIntensityEditDone(const IntensityBinding& binding, bool typed);
    bool OnIntensitySpin(const IntensityBinding& binding, int delta);
    void OnIntensitySlider(const IntensityBinding& binding);
    void OnDateSlider();
    void OnTimeSlider();
    void OnDatePicker();
    void OnTimePicker();
    void OnDisplayShadows();
    void OnFromEdges();
    void OnSurface(int clickedId);

    int m_light = 0;
    int m_dark = 0;
    bool m_fromEdges = false;
    bool m_onFaces = true;
    bool m_onGround = true;
    bool m_displayShadows = false;
    CUtcTime m_time;
};
