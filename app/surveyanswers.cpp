#include "app/surveyanswers.h"

#include <QSysInfo>

#include "app/glimraapp.h"
#include "app/glimraview.h"
#include "app/graphicscardpp.h"
#include "app/qttext.h"
#include "foundation/syshelpers.h"
#include "foundation/versioninfo.h"
#include "platform/profile.h"
#include "render/glconfig.h"

namespace {

constexpr int IDS_SCREEN_AREA = 10034;

void AddLine(CString& report, const char* label, const CString& value)
{
    report += CString(label) + value + CString("\n");
}

}  // namespace

CSurveyAnswers CollectSurveyFacts()
{
    CSurveyAnswers answers;
    answers.applicationName = CString("Tarnwick Glimra");
    const CVersionInfo version;
    answers.applicationVersion =
        CString::Formatted("%d.%d.%d", version.GetMajor(), version.GetMinor(), version.GetBuild());
    answers.userName = GetProfileString(CString("Settings"), CString("UserName"), CString());
    answers.companyName = GetProfileString(CString("Settings"), CString("CompanyName"), CString());
    answers.computerName = FromQt(QSysInfo::machineHostName());
    answers.osIndex = GetOSVersionText(answers.osText);

    if (CGlimraApp* app = GetGlimraApp())
        if (CGlimraView* view = app->GetActiveGlimraView())
            (void)view->MakeCurrent();
    const CGLStrings strings = GetCurrentGLStrings();
    answers.glVendor = strings.vendor;
    answers.glRenderer = strings.renderer;
    answers.glVersion = strings.version;
    answers.gluVersion = strings.gluVersion;
    CDisplayAdapter adapter;
    int width = 0;
    int height = 0;
    int depth = -1;
    GetDisplayAdapterInfo(adapter.description, adapter.date, adapter.version, width, height, depth);
    answers.colors = FormatColorDepth(depth);
    answers.screenArea = FormatNumberedString(IDS_SCREEN_AREA, {width, height});
    GetDisplayAdapterList(answers.adapters);
    answers.pixelFormat = DescribeActiveViewPixelFormat();
    answers.accelerated = GetGLConfigAccelerated(false);
    answers.reversedPicking = GetGLConfigReversedPick(false);
    return answers;
}

CString FormatSurveyReport(const CSurveyAnswers& a)
{
    CString report;
    AddLine(report, "Application: ", a.applicationName);
    AddLine(report, "Version: ", a.applicationVersion);
    AddLine(report, "UserName: ", a.userName);
    AddLine(report, "CompanyName: ", a.companyName);
    AddLine(report, "Computer: ", a.computerName);
    AddLine(report, "OS: ", a.osText);

    const int count = static_cast<int>(a.adapters.size());
    AddLine(report, "Graphics Card #: ", CString::Formatted("%d/%d", a.selectedAdapter, count));
    const bool listed = a.selectedAdapter >= 0 && a.selectedAdapter < count;
    const CDisplayAdapter typed{a.typedCardName + CString(" (Typed)"), CString("Unknown"), CString("Unknown")};
    const CDisplayAdapter& card = listed ? a.adapters[static_cast<size_t>(a.selectedAdapter)] : typed;
    AddLine(report, "Graphics Card: ", card.description);
    AddLine(report, "Driver Date: ", card.date);
    AddLine(report, "Driver Version: ", card.version);
    AddLine(report, "GL_VENDOR: ", a.glVendor);
    AddLine(report, "GL_RENDERER: ", a.glRenderer);
    AddLine(report, "GL_VERSION: ", a.glVersion);
    AddLine(report, "GLU_VERSION: ", a.gluVersion);
    AddLine(report, "Colors: ", a.colors);
    AddLine(report, "Screen Area: ", a.screenArea);
    AddLine(report, "Pixel Format: ", a.pixelFormat);

    AddLine(report, "Acceleration: ", BoolToYesNo(a.accelerated));
    if (!a.accelerated)
    {
        const char* const labels[] = {"Acceleration Never Enabled: ", "Acceleration Not Faster: ",
                                      "Acceleration Draws Wrong: ", "Acceleration Crashes: "};
        for (size_t i = 0; i < a.disabledReasons.size(); ++i)
            AddLine(report, labels[i], BoolToTrueFalse(a.disabledReasons[i]));
    }
    if (a.askEnabledProblems)
    {
        const char* const labels[] = {"Acceleration Full Shadows Wrong: ", "Acceleration Display Black: ",
                                      "Acceleration Display Flickers: ", "Acceleration Patterns Wrong: "};
        for (size_t i = 0; i < a.enabledProblems.size(); ++i)
            AddLine(report, labels[i], BoolToTrueFalse(a.enabledProblems[i]));
        AddLine(report, "Acceleration Problems: ", a.problemsText);
    }
    AddLine(report, "Reversed Picking: ", BoolToYesNo(a.reversedPicking));
    if (a.reversedPicking)
        AddLine(report, "Reversed Picking Fixed: ", BoolToYesNo(a.reversedPickingFixed == 0));
    return report;
}
