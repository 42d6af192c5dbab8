#include "app/graphicscardsurveyps.h"

#include <gtest/gtest.h>

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QWizardPage>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "app/sendmail.h"
#include "apptestsupport.h"

namespace {

using Page = CGraphicsCardSurveyPS;

CSurveyAnswers Facts(bool accelerated, bool reversedPicking)
{
    CSurveyAnswers facts;
    facts.applicationName = CString("Tarnwick Glimra");
    facts.applicationVersion = CString("5.0.232");
    facts.userName = CString("Ann");
    facts.companyName = CString("Orvell");
    facts.computerName = CString("desk");
    facts.osText = CString("Debian (Build 6)");
    facts.adapters = {{CString("Card A"), CString("2006-01-02"), CString("1.2")}};
    facts.glVendor = CString("Mesa");
    facts.glRenderer = CString("llvmpipe");
    facts.glVersion = CString("4.5");
    facts.gluVersion = CString("1.3");
    facts.colors = CString("True Color (24 bit)");
    facts.screenArea = CString("1280 by 1024 pixels");
    facts.pixelFormat = CString("34,GEN,DBL,RGBA");
    facts.accelerated = accelerated;
    facts.reversedPicking = reversedPicking;
    return facts;
}

template <typename Widget>
Widget* Control(CGraphicsCardSurveyPS& survey, int page, int id)
{
    return survey.page(page)->findChild<Widget*>(QStringLiteral("Control%1").arg(id));
}

// The pages the wizard walks through with Next from the start.
std::vector<int> Walk(CGraphicsCardSurveyPS& survey)
{
    std::vector<int> visited{survey.currentId()};
    while (survey.nextId() != -1)
    {
        survey.next();
        visited.push_back(survey.currentId());
    }
    return visited;
}

class GraphicsCardSurveyTest : public ::testing::Test
{
protected:
    void SetUp() override { apptest::PrepareApplication(); }
    apptest::MemorySettings settings;
};

TEST_F(GraphicsCardSurveyTest, TheReportOfAnUnacceleratedUserWhoNeverTriedItSkipsTheProblemsPage)
{
    CGraphicsCardSurveyPS survey(CString("Graphics Card Survey"), nullptr, 0, Facts(false, false));
    survey.show();
    EXPECT_EQ(survey.currentId(), Page::kWelcomePage);
    EXPECT_EQ(survey.page(Page::kWelcomePage)->buttonText(QWizard::NextButton), QStringLiteral("Yes"));
    survey.next();
    survey.next();
    Control<QCheckBox>(survey, Page::kAccelerationOffPage, 1234)->setChecked(true);
    EXPECT_EQ(Walk(survey), (std::vector<int>{Page::kCardPage, Page::kAccelerationOffPage, Page::kSendPage}));
    EXPECT_EQ(survey.BuildSurveyReport(), CString("Application: Tarnwick Glimra\n"
                                                  "Version: 5.0.232\n"
                                                  "UserName: Ann\n"
                                                  "CompanyName: Orvell\n"
                                                  "Computer: desk\n"
                                                  "OS: Debian (Build 6)\n"
                                                  "Graphics Card #: 0/1\n"
                                                  "Graphics Card: Card A\n"
                                                  "Driver Date: 2006-01-02\n"
                                                  "Driver Version: 1.2\n"
                                                  "GL_VENDOR: Mesa\n"
                                                  "GL_RENDERER: llvmpipe\n"
                                                  "GL_VERSION: 4.5\n"
                                                  "GLU_VERSION: 1.3\n"
                                                  "Colors: True Color (24 bit)\n"
                                                  "Screen Area: 1280 by 1024 pixels\n"
                                                  "Pixel Format: 34,GEN,DBL,RGBA\n"
                                                  "Acceleration: No\n"
                                                  "Acceleration Never Enabled: True\n"
                                                  "Acceleration Not Faster: False\n"
                                                  "Acceleration Draws Wrong: False\n"
                                                  "Acceleration Crashes: False\n"
                                                  "Reversed Picking: No\n"));
}

TEST_F(GraphicsCardSurveyTest, TheStoredConfigurationDecidesThePagesAndTheReportFollowsTheAnswers)
{
    const struct
    {
        bool accelerated;
        bool reversedPicking;
        std::vector<int> pages;
        std::vector<const char*> lines;
    } cases[] = {
        {true,
         false,
         {Page::kWelcomePage, Page::kUserPage, Page::kCardPage, Page::kAccelerationProblemsPage, Page::kSendPage},
         {"Graphics Card #: 1/1\n", "Graphics Card: Voodoo (Typed)\nDriver Date: Unknown\nDriver Version: Unknown\n",
          "Acceleration: Yes\nAcceleration Full Shadows Wrong: False\nAcceleration Display Black: True\n",
          "Acceleration Problems: flicker\nReversed Picking: No\n"}},
        {false,
         true,
         {Page::kWelcomePage, Page::kUserPage, Page::kCardPage, Page::kAccelerationOffPage,
          Page::kAccelerationProblemsPage, Page::kReversedPickingPage, Page::kSendPage},
         {"Acceleration: No\nAcceleration Never Enabled: False\n", "Acceleration Problems: flicker\n",
          "Reversed Picking: Yes\nReversed Picking Fixed: No\n"}},
    };
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.accelerated);
        CGraphicsCardSurveyPS survey(CString("Graphics Card Survey"), nullptr, 0, Facts(c.accelerated, c.reversedPicking));
        survey.show();
        EXPECT_EQ(survey.GetPageOrder(), c.pages);
        // The card is not on the list and is typed; the second problem is seen.
        auto* cards = Control<QComboBox>(survey, Page::kCardPage, 1225);
        cards->setCurrentIndex(cards->count() - 1);
        EXPECT_FALSE(Control<QLineEdit>(survey, Page::kCardPage, 1228)->isHidden());
        Control<QLineEdit>(survey, Page::kCardPage, 1228)->setText(QStringLiteral("Voodoo"));
        Control<QCheckBox>(survey, Page::kAccelerationProblemsPage, 1235)->setChecked(true);
        survey.GetAnswers().problemsText = CString("flicker");
        if (c.reversedPicking)
            survey.GetAnswers().reversedPickingFixed = 1;
        EXPECT_EQ(Walk(survey), c.pages);
        const CString report = survey.BuildSurveyReport();
        for (const char* line : c.lines)
            EXPECT_GE(report.Find(CString(line)), 0) << line << "\n" << report.ToUtf8();
    }
}

TEST_F(GraphicsCardSurveyTest, TheMailLinkCarriesTheReportWhole)
{
    const QUrl link = BuildMailtoUrl(CString("survey@orvell.example"), CString("Graphics Card Survey Results"),
                                     CString("A: 1 & 2\nB: 50% + more?\n"));
    EXPECT_EQ(link.scheme(), QStringLiteral("mailto"));
    EXPECT_EQ(link.path(), QStringLiteral("survey@orvell.example"));
    EXPECT_EQ(QString::fromLatin1(link.toEncoded()),
              QStringLiteral("mailto:survey@orvell.example?subject=Graphics%20Card%20Survey%20Results"
                             "&body=A%3A%201%20%26%202%0AB%3A%2050%25%20%2B%20more%3F%0A"));
    EXPECT_EQ(BuildXdgEmailArguments(CString("a@b.example"), CString("S"), CString(), CString("/tmp/S.txt")),
              QStringList({"--subject", "S", "--attach", "/tmp/S.txt", "a@b.example"}));
}

TEST_F(GraphicsCardSurveyTest, AReportNoMailProgramTookIsKeptAsATextFileAndTheBoxSaysWhere)
{
    const std::filesystem::path work =
        std::filesystem::temp_directory_path() / ("glimra-unsent-" + std::to_string(::getpid()));
    std::filesystem::create_directories(work / "bin");
    std::filesystem::create_directories(work / "home");
    // A mail handler that takes nothing.
    std::ofstream(work / "bin" / "xdg-email") << "#!/bin/sh\nexit 3\n";
    std::filesystem::permissions(work / "bin" / "xdg-email", std::filesystem::perms::owner_all);
    const std::string path = std::getenv("PATH") != nullptr ? std::getenv("PATH") : "";
    const std::string home = std::getenv("HOME") != nullptr ? std::getenv("HOME") : "";
    setenv("PATH", (work / "bin").c_str(), 1);
    setenv("HOME", (work / "home").c_str(), 1);
    // A link planted at the first name is passed over, its target left as it was.
    std::ofstream(work / "victim") << "keep";
    std::filesystem::create_symlink(work / "victim", work / "home" / "Graphics Card Survey Results.txt");
    const CString report("Renderer: llvmpipe\n");
    apptest::MessageBoxRecorder boxes;
    const bool sent[] = {
        SendMailWithTextAttachment(CString("Tarnwick Support"), CString("s@o.example"),
                                   CString("Graphics Card Survey Results"), report, false, true),
        SendMailWithTextAttachment(CString("Tarnwick Support"), CString("s@o.example"),
                                   CString("Graphics Card Survey Results"), report, false, true)};
    setenv("PATH", path.c_str(), 1);
    setenv("HOME", home.c_str(), 1);
    EXPECT_FALSE(sent[0]);
    EXPECT_FALSE(sent[1]);
    ASSERT_EQ(boxes.calls.size(), 2U);
    const std::filesystem::path kept[] = {work / "home" / "Graphics Card Survey Results (2).txt",
                                          work / "home" / "Graphics Card Survey Results (3).txt"};
    for (size_t i = 0; i < 2; ++i)
    {
        EXPECT_NE(boxes.calls[i].text.Find(CString::FromUtf8(kept[i].string())), -1) << boxes.calls[i].text.ToUtf8();
        std::ifstream file(kept[i]);
        const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
        EXPECT_EQ(text, "Renderer: llvmpipe\n");
    }
    std::ifstream victim(work / "victim");
    EXPECT_EQ(std::string((std::istreambuf_iterator<char>(victim)), std::istreambuf_iterator<char>()), "keep");
    std::filesystem::remove_all(work);
}

}  // namespace
