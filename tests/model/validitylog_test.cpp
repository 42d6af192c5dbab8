#include <gtest/gtest.h>

#include "document/component.h"
#include "document/layer.h"
#include "document/layermanager.h"
#include "document/material.h"
#include "model/drawingelement.h"
#include "model/validitylog.h"
#include "tests/model/entitytestsupport.h"

using namespace entitytest;

namespace {

bool LogContains(const char* text)
{
    return GetValidityLog().Find(CString(text)) >= 0;
}

// A checked model: the bypass off and an empty log for as long as it lives.
class CheckedModel : public ::testing::Test
{
protected:
    CheckedModel() { ClearValidityLog(); }
    ~CheckedModel() override { ClearValidityLog(); }

    CDrawingElement* AddElement() { return m_model.Get().GetRootComponent()->AddEntity(new CDrawingElement); }

    CurrentModel m_model;
    CValidityCheckScope m_checking;
    CValidityResultMap m_results;
};

} // namespace

TEST(ValidityLog, TheBypassIsOnUntilAScopeTurnsItOffForItsLifetime)
{
    EXPECT_TRUE(IsValidityCheckBypassed());
    {
        const CValidityCheckScope scope;
        EXPECT_FALSE(IsValidityCheckBypassed());
    }
    EXPECT_TRUE(IsValidityCheckBypassed());
}

TEST(ValidityLog, RepairAppendsItsMessageOnlyInRepairMode)
{
    ClearValidityLog();
    EXPECT_FALSE(BeginRepair(kValidityModeCheck));
    EXPECT_EQ(GetValidityLog(), CString("\n"));
    EXPECT_TRUE(BeginRepair(kValidityModeRepair));
    EXPECT_EQ(GetValidityLog(), CString("\n") + CString(GetValidityMessageFormat(kMsgRepairing)));
    ClearValidityLog();
}

TEST(ValidityLog, TheReportOfAnEmptyLogSaysSo)
{
    ClearValidityLog();
    const CString empty = BuildValidityReport("Title");
    EXPECT_EQ(empty, CString("Title\n") + CString(GetValidityMessageFormat(kMsgEmptyLog)) + CString("\n"));
    AppendValidityText("found\n");
    EXPECT_EQ(BuildValidityReport("Title"), CString("Title\nfound\n"));
    ShowValidityLog("Title");
    ClearValidityLog();
}

TEST(ValidityLog, ANullReferenceIsBrokenAndStoredUnderTheNullKey)
{
    ClearValidityLog();
    CValidityResultMap results;
    EXPECT_EQ(CheckEntityValidity(nullptr, "CFace", kValidityModeCheck, &results), kValiditySound);
    {
        const CValidityCheckScope scope;
        EXPECT_EQ(CheckEntityValidity(nullptr, "CFace", kValidityModeCheck, &results), kValidityBroken);
    }
    EXPECT_EQ(FindCheckResult(&results, nullptr), kValidityBroken);
    EXPECT_TRUE(LogContains("CFace"));
    ClearValidityLog();
}

TEST(EntityCheck, TheEntityBaseReportsNegativeIdsEvenWhileBypassed)
{
    ClearValidityLog();
    CDrawingElement element;
    element.NegateId();
    EXPECT_EQ(element.CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    EXPECT_EQ(element.CEntity::CheckValidity(kValidityModeCheck, nullptr), kValidityStale);
    EXPECT_EQ(element.CEntity::CheckValidity(kValidityModeIgnoreStaleIds, nullptr), kValiditySound);
    EXPECT_FALSE(GetValidityLog().IsEmpty());
    ClearValidityLog();
}

TEST_F(CheckedModel, ASecondCheckWithTheSameMapAnswersTheStoredSeverityWithoutLogging)
{
    CDrawingElement* element = AddElement();
    element->NegateId();
    EXPECT_EQ(element->CheckValidity(kValidityModeCheck, &m_results), kValidityStale);
    const CString log = GetValidityLog();
    EXPECT_EQ(element->CheckValidity(kValidityModeCheck, &m_results), kValidityStale);
    EXPECT_EQ(GetValidityLog(), log);
    element->NegateId();
}

TEST_F(CheckedModel, ModeTwoAcceptsANegativeId)
{
    CDrawingElement* element = AddElement();
    element->NegateId();
    EXPECT_EQ(element->CheckValidity(kValidityModeIgnoreStaleIds, &m_results), kValiditySound);
    EXPECT_TRUE(GetValidityLog().IsEmpty());
    element->NegateId();
}

TEST_F(CheckedModel, AMaterialOutsideTheManagerIsRepairableInCheckMode)
{
    CMaterial stray;
    CDrawingElement* element = AddElement();
    element->SetMaterial(&stray);
    EXPECT_EQ(element->CheckValidity(kValidityModeCheck, &m_results), kValidityRepairable);
    EXPECT_EQ(FindCheckResult(&m_results, element), kValidityRepairable);
    EXPECT_EQ(element->GetMaterial(), &stray);
    const CString log = GetValidityLog();
    ASSERT_FALSE(log.IsEmpty());
    EXPECT_EQ(log[log.GetLength() - 1], u'\n');
    element->SetMaterial(nullptr);
}

TEST_F(CheckedModel, RepairModeClearsAStrayMaterialAndLayer)
{
    CMaterial stray;
    CLayer strayLayer;
    CDrawingElement* element = AddElement();
    element->SetMaterial(&stray);
    element->SetLayer(&strayLayer);
    EXPECT_EQ(element->CheckValidity(kValidityModeRepair, &m_results), kValiditySound);
    EXPECT_EQ(element->GetMaterial(), nullptr);
    EXPECT_EQ(element->GetLayer(), nullptr);
    EXPECT_TRUE(LogContains(GetValidityMessageFormat(kMsgRepairing)));
    EXPECT_EQ(FindCheckResult(&m_results, element), -1);
}

TEST_F(CheckedModel, WithoutAMapTheManagersAreNotConsulted)
{
    CMaterial stray;
    CDrawingElement* element = AddElement();
    element->SetMaterial(&stray);
    EXPECT_EQ(element->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    EXPECT_TRUE(GetValidityLog().IsEmpty());
    element->SetMaterial(nullptr);
}

TEST_F(CheckedModel, MembersOfTheManagersPass)
{
    CDrawingElement* element = AddElement();
    element->SetMaterialByColour(CColor(9, 9, 9), false);
    element->SetLayer(m_model.Get().GetLayerManager()->AddLayer("Walls"));
    EXPECT_EQ(element->CheckValidity(kValidityModeCheck, &m_results), kValiditySound);
    EXPECT_TRUE(GetValidityLog().IsEmpty());
}
