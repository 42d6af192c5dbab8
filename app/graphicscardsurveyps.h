#pragma once
// CGraphicsCardSurveyPS: the graphics-card survey, a wizard that asks about the user, the
// graphics card and the problems seen with the OpenGL settings, and then mails one
// plain-text report of the answers and of what the program reads itself to the support
// address. The pages about acceleration and reversed picking appear only for the stored
// configuration they ask about.
#include <QWizard>
#include <vector>

#include "app/surveyanswers.h"

class CGraphicsCardSurveyPS : public QWizard
{
public:
    // The pages, by their templates, in the order they can appear.
    enum EPage
    {
        kWelcomePage = 340,
        kUserPage = 338,
        kCardPage = 336,
        kAccelerationOffPage = 344,
        kAccelerationProblemsPage = 345,
        kReversedPickingPage = 343,
        kSendPage = 334
    };

    // The facts are read now, so they are those of the moment the wizard opens.
    CGraphicsCardSurveyPS(const CString& title, QWidget* parent, int firstPage);
    // With the facts given instead of read.
    CGraphicsCardSurveyPS(const CString& title, QWidget* parent, int firstPage, CSurveyAnswers facts);

    // The page after the current one: the problems page is passed over when the only
    // reason acceleration is off is that the user never knew of it.
    [[nodiscard]] int nextId() const override;
    [[nodiscard]] const std::vector<int>& GetPageOrder() const { return m_order; }
    [[nodiscard]] const CSurveyAnswers& GetAnswers() const { return m_answers; }
    [[nodiscard]] CSurveyAnswers& GetAnswers() { return m_answers; }

    [[nodiscard]] CString BuildSurveyReport() const;
    // Mails the report to the support address as the body of one message.
    bool SendSurveyReport() const;

private:
    void AddPages();
    void AddPage(int id, QWizardPage* page);

    CSurveyAnswers m_answers;
    std::vector<int> m_order;
};

// The address the survey goes to ("Settings", "SurveyAddress").
[[nodiscard]] CString GetSurveyAddress();
