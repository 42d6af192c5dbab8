#include <gtest/gtest.h>

#include <algorithm>

#include "annotations/pointreferences.h"
#include "annotations/text.h"
#include "document/definitionunique.h"
#include "document/instancepath.h"
#include "model/edgeuse.h"
#include "model/loop.h"
#include "tests/document/operationtestsupport.h"
#include "tests/document/undoreplay.h"

using operationtest::Bytes;
using operationtest::ModelFixture;

namespace {

class DefinitionUniqueTest : public ::testing::Test
{
protected:
    ModelFixture m_fixture;
};

CVertex* FirstVertexOf(const CComponent& component)
{
    for (CDrawingElement* element : component.GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(element)) {
            return face->GetOuterLoop()->GetFirstEdgeUse()->GetStartVertex();
        }
    }
    return nullptr;
}

}  // namespace

TEST_F(DefinitionUniqueTest, TheOnlyInstanceOfItsDefinitionIsLeftAsItIs)
{
    CComponentDefinition* box = m_fixture.Definition("Box");
    CComponentInstance* only = ModelFixture::Place(m_fixture.Root(), box);
    EXPECT_FALSE(MakeDefinitionUnique(&m_fixture.Model(), only));
    EXPECT_FALSE(MakeDefinitionUnique(&m_fixture.Model(), nullptr));
    EXPECT_EQ(only->GetDefinition(), box);
    EXPECT_EQ(m_fixture.Root().GetDefinitionList()->GetCount(), 1);
}

TEST_F(DefinitionUniqueTest, OneOfTwoInstancesGetsACopyWithAFreeNameAndANewIdentity)
{
    CComponentDefinition* box = m_fixture.Definition("Box");
    CComponentDefinition* taken = m_fixture.Definition("Box#1");
    CComponentInstance* handled = ModelFixture::Place(m_fixture.Root(), box);
    CComponentInstance* other = ModelFixture::Place(m_fixture.Root(), box);
    ModelFixture::Place(*box, taken);  // the copy refers to the shared nested definition

    ASSERT_TRUE(MakeDefinitionUnique(&m_fixture.Model(), handled));
    CComponentDefinition* copy = handled->GetDefinition();
    ASSERT_NE(copy, box);
    EXPECT_EQ(other->GetDefinition(), box);
    EXPECT_TRUE(std::ranges::equal(box->GetInstances(), std::vector<CComponentInstance*>{other}));
    EXPECT_TRUE(std::ranges::equal(copy->GetInstances(), std::vector<CComponentInstance*>{handled}));
    EXPECT_EQ(copy->GetName(), CString("Box#2"));
    EXPECT_NE(std::memcmp(&copy->GetGuid(), &box->GetGuid(), sizeof(GUID)), 0);
    EXPECT_EQ(copy->GetCount(), box->GetCount());
    EXPECT_NE(FirstVertexOf(*copy), FirstVertexOf(*box));
    EXPECT_EQ(taken->GetInstanceCount(), 2);
    EXPECT_EQ(m_fixture.Root().GetDefinitionList()->GetCount(), 3);
}

TEST_F(DefinitionUniqueTest, ATextHangingInsideTheInstanceFollowsItToTheCopy)
{
    CComponentDefinition* box = m_fixture.Definition("Box");
    CComponentInstance* handled = ModelFixture::Place(m_fixture.Root(), box);
    ModelFixture::Place(m_fixture.Root(), box);
    CVertex* vertex = FirstVertexOf(*box);
    auto* text = new CText;
    {
        const CUndoSuspender suspender;
        CModelPointRef anchor = MakeVertexPoint(vertex);
        CInstancePath path;
        path.Push(handled);
        anchor.Set(anchor.GetKind(), anchor.GetParameters(), vertex, path, nullptr, CInstancePath());
        text->SetLeaderKindValue(1);
        text->SetAnchor(anchor, false);
        m_fixture.Root().Add(text);
    }
    ASSERT_TRUE(MakeDefinitionUnique(&m_fixture.Model(), handled));
    EXPECT_EQ(text->GetAnchor().GetFirstEntity(), FirstVertexOf(*handled->GetDefinition()));
    EXPECT_EQ(text->GetAnchor().GetFirstPath().Front(), handled);
}

TEST_F(DefinitionUniqueTest, OneUndoRestoresTheModelsBytes)
{
    CComponentDefinition* box = m_fixture.Definition("Box");
    CComponentInstance* handled = ModelFixture::Place(m_fixture.Root(), box);
    ModelFixture::Place(m_fixture.Root(), box);
    const Bytes before = ModelFixture::BytesOf(m_fixture.Root());

    CUndoOperation& operation = m_fixture.StartOperation();
    ASSERT_TRUE(MakeDefinitionUnique(&m_fixture.Model(), handled));
    EXPECT_NE(ModelFixture::BytesOf(m_fixture.Root()), before);
    const undoreplay::UndoReplay undo(operation);
    EXPECT_EQ(ModelFixture::BytesOf(m_fixture.Root()), before);
    EXPECT_EQ(handled->GetDefinition(), box);
    EXPECT_EQ(box->GetInstanceCount(), 2);
}
