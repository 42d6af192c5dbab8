#include "app/graphicscardsurveyps.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QRadioButton>
#include <QVBoxLayout>
#include <QWizardPage>
#include <algorithm>
#include <array>

#include "app/qttext.h"
#include "app/sendmail.h"
#include "platform/profile.h"
#include "platform/ui/stringtable.h"

namespace {

constexpr int IDS_YES = 10048;
constexpr int IDS_NO = 10049;
constexpr int IDS_NOT_ON_THE_LIST = 10565;
const char* const kDefaultSurveyAddress = "graphics-survey@orvell.example";

template <typename Widget>
Widget* Named(Widget* widget, int id)
{
    widget->setObjectName(QStringLiteral("Control%1").arg(id));
    return widget;
}

QLabel* Text(const QString& text, QWidget* parent)
{
    auto* label = new QLabel(text, parent);
    label->setWordWrap(true);
    return label;
}

// Four check boxes from id 1234 on, each kept in its flag.
void AddChecks(QWizardPage* page, QLayout* layout, const std::array<const char*, 4>& texts,
               std::array<bool, 4>& flags)
{
    for (size_t i = 0; i < texts.size(); ++i)
    {
        auto* box = Named(new QCheckBox(QString::fromUtf8(texts[i]), page), 1234 + static_cast<int>(i));
        QObject::connect(box, &QCheckBox::toggled, page, [&flags, i](bool on) { flags[i] = on; });
        layout->addWidget(box);
    }
}

class CGraphicsCardSurveyPP1 : public QWizardPage
{
public:
    explicit CGraphicsCardSurveyPP1(const CString& address)
    {
        setTitle(QStringLiteral("Graphics Card Survey"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Text(
            QStringLiteral("Glimra will ask you a few questions about your graphics card, its driver and the "
                           "problems you see with the current OpenGL settings, and mail your answers to "
                           "Tarnwick Support (%1).\n\nWould you like to take part in the survey now?")
                .arg(ToQt(address)),
            this));
        // Yes goes on, No ends the survey.
        setButtonText(QWizard::NextButton, ToQt(LoadStringResource(IDS_YES)));
        setButtonText(QWizard::CancelButton, ToQt(LoadStringResource(IDS_NO)));
    }
};

class CGraphicsCardSurveyPP2 : public QWizardPage
{
public:
    explicit CGraphicsCardSurveyPP2(CSurveyAnswers& answers)
    {
        setTitle(QStringLiteral("User Information"));
        setSubTitle(QStringLiteral("Please verify the following information:"));
        auto* form = new QFormLayout(this);
        auto* user = Named(new QLineEdit(ToQt(answers.userName), this), 1220);
        auto* company = Named(new QLineEdit(ToQt(answers.companyName), this), 1227);
        auto* system = Named(new QComboBox(this), 1221);
        system->addItems({QStringLiteral("Unknown"), QStringLiteral("Windows 95"), QStringLiteral("Windows 98"),
                          QStringLiteral("Windows ME"), QStringLiteral("Windows NT"), QStringLiteral("Windows 2000"),
                          QStringLiteral("Windows XP")});
        system->setCurrentIndex(std::clamp(answers.osIndex, 0, system->count() - 1));
        form->addRow(QStringLiteral("User:"), user);
        form->addRow(QStringLiteral("Company:"), company);
        form->addRow(QStringLiteral("Windows Version:"), system);
        connect(user, &QLineEdit::textChanged, this, [&answers](const QString& text) { answers.userName = FromQt(text); });
        connect(company, &QLineEdit::textChanged, this,
                [&answers](const QString& text) { answers.companyName = FromQt(text); });
        connect(system, &QComboBox::activated, this, [&answers, system](int index) {
            answers.osIndex = index;
            answers.osText = FromQt(system->itemText(index));
        });
    }
};

class CGraphicsCardSurveyPP3 : public QWizardPage
{
public:
    explicit CGraphicsCardSurveyPP3(CSurveyAnswers& answers)
    {
        setTitle(QStringLiteral("Graphics Card Information"));
        setSubTitle(QStringLiteral("Please select your graphics card from the list below."));
        auto* layout = new QVBoxLayout(this);
        auto* cards = Named(new QComboBox(this), 1225);
        for (const CDisplayAdapter& adapter : answers.adapters)
            cards->addItem(ToQt(adapter.description));
        cards->addItem(ToQt(LoadStringResource(IDS_NOT_ON_THE_LIST)));
        auto* hint = Named(Text(QStringLiteral("If you know what kind of graphics card you have, please enter it "
                                               "the space below."),
                                this),
                           1229);
        auto* typed = Named(new QLineEdit(ToQt(answers.typedCardName), this), 1228);
        layout->addWidget(cards);
        layout->addWidget(hint);
        layout->addWidget(typed);
        layout->addStretch();
        const auto choose = [&answers, cards, hint, typed](int index) {
            answers.selectedAdapter = index;
            const bool notListed = index == cards->count() - 1;
            hint->setVisible(notListed);
            typed->setVisible(notListed);
        };
        connect(cards, &QComboBox::currentIndexChanged, this, choose);
        connect(typed, &QLineEdit::textChanged, this,
                [&answers](const QString& text) { answers.typedCardName = FromQt(text); });
        cards->setCurrentIndex(0);
        choose(0);
    }
};

class CGraphicsCardSurveyPP7 : public QWizardPage
{
public:
    explicit CGraphicsCardSurveyPP7(CSurveyAnswers& answers) : m_answers(answers)
    {
        setTitle(QStringLiteral("Hardware Acceleration"));
        setSubTitle(QStringLiteral("You currently have hardware acceleration disabled.  Please select all that apply:"));
        auto* layout = new QVBoxLayout(this);
        AddChecks(this, layout,
                  {"I have never enabled it because I don't know what it is.",
                   "Tarnwick doesn't appear any faster when it is enabled.",
                   "Tarnwick doesn't draw properly when it is enabled.", "Tarnwick crashes when I enable it."},
                  answers.disabledReasons);
    }

    // Someone who never tried acceleration cannot tell its problems.
    bool validatePage() override
    {
        const auto& reasons = m_answers.disabledReasons;
        m_answers.askEnabledProblems = !(reasons[0] && !reasons[1] && !reasons[2] && !reasons[3]);
        return true;
    }

private:
    CSurveyAnswers& m_answers;
};

class CGraphicsCardSurveyPP8 : public QWizardPage
{
public:
    explicit CGraphicsCardSurveyPP8(CSurveyAnswers& answers)
    {
        setTitle(QStringLiteral("Hardware Acceleration"));
        setSubTitle(QStringLiteral("When hardware acceleration is enabled, do you notice any of the following problems?"));
        auto* layout = new QVBoxLayout(this);
        AddChecks(this, layout,
                  {"Full shadows are not available or don't display properly.", "Parts of my model display black.",
                   "The display flickers badly when I use the camera tools.", "Patterns look incorrect."},
                  answers.enabledProblems);
        layout->addWidget(Text(QStringLiteral("Please describe any other problems you notice:"), this));
        auto* problems = Named(new QPlainTextEdit(ToQt(answers.problemsText), this), 1238);
        layout->addWidget(problems);
        connect(problems, &QPlainTextEdit::textChanged, this,
                [&answers, problems] { answers.problemsText = FromQt(problems->toPlainText()); });
    }
};

class CGraphicsCardSurveyPP6 : public QWizardPage
{
public:
    explicit CGraphicsCardSurveyPP6(CSurveyAnswers& answers)
    {
        setTitle(QStringLiteral("Reversed Picking"));
        setSubTitle(QStringLiteral("You currently have \"Reversed Picking\" Enabled.  Does this correct the problem "
                                   "you were seeing?"));
        auto* layout = new QVBoxLayout(this);
        auto* yes = Named(new QRadioButton(QStringLiteral("Yes"), this), 1232);
        auto* no = Named(new QRadioButton(QStringLiteral("No"), this), 1233);
        (answers.reversedPickingFixed == 0 ? yes : no)->setChecked(true);
        layout->addWidget(yes);
        layout->addWidget(no);
        connect(no, &QRadioButton::toggled, this, [&answers](bool on) { answers.reversedPickingFixed = on ? 1 : 0; });
    }
};

class CGraphicsCardSurveyPP4 : public QWizardPage
{
public:
    CGraphicsCardSurveyPP4()
    {
        setTitle(QStringLiteral("Send Survey Results"));
        auto* layout = new QVBoxLayout(this);
        layout->addWidget(Text(QStringLiteral("When you press Finish, Glimra puts the survey results into a mail to "
                                              "Tarnwick Support. Your mail program shows the message so that you can "
                                              "review it; please press its \"Send\" button to send it.\n\nThank you "
                                              "for taking part in the survey!"),
                               this));
    }
};

}  // namespace

CString GetSurveyAddress()
{
    return GetProfileString(CString("Settings"), CString("SurveyAddress"), CString(kDefaultSurveyAddress));
}

CGraphicsCardSurveyPS::CGraphicsCardSurveyPS(const CString& title, QWidget* parent, int firstPage)
    : CGraphicsCardSurveyPS(title, parent, firstPage, CollectSurveyFacts())
{
}

CGraphicsCardSurveyPS::CGraphicsCardSurveyPS(const CString& title, QWidget* parent, int firstPage,
                                             CSurveyAnswers facts)
    : QWizard(parent), m_answers(std::move(facts))
{
    setWindowTitle(ToQt(title));
    setOption(QWizard::NoBackButtonOnStartPage, true);
    setOption(QWizard::HaveHelpButton, false);
    AddPages();
    // Without a start the wizard would open on the page of the lowest template number.
    setStartId(m_order[static_cast<size_t>(std::clamp(firstPage, 0, static_cast<int>(m_order.size()) - 1))]);
}

void CGraphicsCardSurveyPS::AddPage(int id, QWizardPage* page)
{
    setPage(id, page);
    m_order.push_back(id);
}

void CGraphicsCardSurveyPS::AddPages()
{
    AddPage(kWelcomePage, new CGraphicsCardSurveyPP1(GetSurveyAddress()));
    AddPage(kUserPage, new CGraphicsCardSurveyPP2(m_answers));
    AddPage(kCardPage, new CGraphicsCardSurveyPP3(m_answers));
    if (!m_answers.accelerated)
        AddPage(kAccelerationOffPage, new CGraphicsCardSurveyPP7(m_answers));
    AddPage(kAccelerationProblemsPage, new CGraphicsCardSurveyPP8(m_answers));
    if (m_answers.reversedPicking)
        AddPage(kReversedPickingPage, new CGraphicsCardSurveyPP6(m_answers));
    AddPage(kSendPage, new CGraphicsCardSurveyPP4);
}

int CGraphicsCardSurveyPS::nextId() const
{
    auto next = std::find(m_order.begin(), m_order.end(), currentId());
    if (next == m_order.end())
        return -1;
    for (++next; next != m_order.end(); ++next)
        if (*next != kAccelerationProblemsPage || m_answers.askEnabledProblems)
            return *next;
    return -1;
}

CString CGraphicsCardSurveyPS::BuildSurveyReport() const
{
    return FormatSurveyReport(m_answers);
}

bool CGraphicsCardSurveyPS::SendSurveyReport() const
{
    return SendMailWithTextAttachment(CString("Tarnwick Support"), GetSurveyAddress(),
                                      CString("Graphics Card Survey Results"), BuildSurveyReport(), false, true);
}
