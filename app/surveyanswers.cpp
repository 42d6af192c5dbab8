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

// A run of report lines, each a label and the member of the record that gives its text.
template <typename Record>
struct CTextLine
{
    const char* label;
    CString Record::*value;
};

template <typename Record, size_t N>
void AddLines(CString& report, const Record& record, const CTextLine<Record> (&lines)[N])
{
    for (const CTextLine<Record>& line : lines)
        AddLine(report, line.label, record.*line.value);
}

void AddFlags(CString& report, const std::array<const char*, 4>& labels, const std::array<bool, 4>& flags)
{
    for (size_t i = 0; i < flags.size(); ++i)
        AddLine(report, labels[i], BoolToTrueFalse(flags[i]));
}

using CAnswerLine = CTextLine<CSurveyAnswers>;
using CCardLine = CTextLine<CDisplayAdapter>;

const CAnswerLine kUserLines[] = {{"Application: ", &CSurveyAnswers::applicationName},
                                  {"Version: ", &CSurveyAnswers::applicationVersion},
                                  {"UserName: ", &CSurveyAnswers::userName},
                                  {"CompanyName: ", &CSurveyAnswers::companyName},
                                  {"Computer: ", &CSurveyAnswers::computerName},
                                  {"OS: ", &CSurveyAnswers::osText}};
const CCardLine kCardLines[] = {{"Graphics Card: ", &CDisplayAdapter::description},
                                {"Driver Date: ", &CDisplayAdapter::date},
                                {"Driver Version: ", &CDisplayAdapter::version}};
const CAnswerLine kDisplayLines[] = {{"GL_VENDOR: ", &CSurveyAnswers::glVendor},
                                     {"GL_RENDERER: ", &CSurveyAnswers::glRenderer},
                                     {"GL_VERSION: ", &CSurveyAnswers::glVersion},
                                     {"GLU_VERSION: ", &CSurveyAnswers::gluVersion},
                                     {"Colors: ", &CSurveyAnswers::colors},
                                     {"Screen Area: ", &CSurveyAnswers::screenArea},
                                     {"Pixel Format: ", &CSurveyAnswers::pixelFormat}};
const std::array<const char*, 4> kDisabledReasonLabels = {"Acceleration Never Enabled: ", "Acceleration Not Faster: ",
                                                          "Acceleration Draws Wrong: ", "Acceleration Crashes: "};
const std::array<const char*, 4> kEnabledProblemLabels = {
    "Acceleration Full Shadows Wrong: ", "Acceleration Display Black: ", "Acceleration Display Flickers: ",
    "Acceleration Patterns Wrong: "};

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
    AddLines(report, a, kUserLines);
    const int count = static_cast<int>(a.adapters.size());
    AddLine(report, "Graphics Card #: ", CString::Formatted("%d/%d", a.selectedAdapter, count));
    const bool listed = a.selectedAdapter >= 0 && a.selectedAdapter < count;
    const CDisplayAdapter typed{a.typedCardName + CString(" (Typed)"), CString("Unknown"), CString("Unknown")};
    AddLines(report, listed ? a.adapters[static_cast<size_t>(a.selectedAdapter)] : typed, kCardLines);
    AddLines(report, a, kDisplayLines);

    AddLine(report, "Acceleration: ", BoolToYesNo(a.accelerated));
    if (!a.accelerated)
        AddFlags(report, kDisabledReasonLabels, a.disabledReasons);
    if (a.askEnabledProblems)
    {
        AddFlags(report, kEnabledProblemLabels, a.enabledProblems);
        AddLine(report, "Acceleration Problems: ", a.problemsText);
    }
    AddLine(report, "Reversed Picking: ", BoolToYesNo(a.reversedPicking));
    if (a.reversedPicking)
        AddLine(report, "Reversed Picking Fixed: ", BoolToYesNo(a.reversedPickingFixed == 0));
    return report;
}
