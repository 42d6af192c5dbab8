#include "platform/object.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/namedclass.h"

namespace {

class CObjectTestShape : public CObject
{
    DECLARE_DYNAMIC(CObjectTestShape)
};
IMPLEMENT_DYNAMIC(CObjectTestShape, CObject)

class CObjectTestBox : public CObjectTestShape
{
    DECLARE_SERIAL(CObjectTestBox)
};
IMPLEMENT_SERIAL(CObjectTestBox, CObjectTestShape, VERSIONABLE_SCHEMA | 2)

class CObjectTestBall : public CObjectTestShape
{
    DECLARE_SERIAL(CObjectTestBall)
};
IMPLEMENT_SERIAL(CObjectTestBall, CObjectTestShape, 0)

// Registered by name only by the test that asks for it.
class CObjectTestCone : public CObjectTestShape
{
    DECLARE_DYNAMIC(CObjectTestCone)
};
IMPLEMENT_DYNAMIC(CObjectTestCone, CObjectTestShape)

// Registered by name only by the test of named classes.
class CObjectTestPrism : public CObjectTestShape
{
    DECLARE_DYNAMIC(CObjectTestPrism)
};
IMPLEMENT_DYNAMIC(CObjectTestPrism, CObjectTestShape)

}  // namespace

TEST(RuntimeClass, DescribesNameSchemaAndBase)
{
    const CRuntimeClass* box = RUNTIME_CLASS(CObjectTestBox);
    EXPECT_STREQ(box->m_lpszClassName, "CObjectTestBox");
    EXPECT_EQ(box->m_wSchema, VERSIONABLE_SCHEMA | 2);
    EXPECT_EQ(box->m_pBaseClass, RUNTIME_CLASS(CObjectTestShape));
    EXPECT_EQ(RUNTIME_CLASS(CObjectTestShape)->m_pBaseClass, RUNTIME_CLASS(CObject));
    EXPECT_EQ(RUNTIME_CLASS(CObject)->m_pBaseClass, nullptr);
}

TEST(RuntimeClass, DerivationFollowsTheBaseChainOnly)
{
    const CRuntimeClass* box = RUNTIME_CLASS(CObjectTestBox);
    EXPECT_TRUE(box->IsDerivedFrom(box));
    EXPECT_TRUE(box->IsDerivedFrom(RUNTIME_CLASS(CObjectTestShape)));
    EXPECT_TRUE(box->IsDerivedFrom(RUNTIME_CLASS(CObject)));
    EXPECT_FALSE(box->IsDerivedFrom(RUNTIME_CLASS(CObjectTestBall)));
    EXPECT_FALSE(RUNTIME_CLASS(CObjectTestShape)->IsDerivedFrom(box));
    EXPECT_FALSE(box->IsDerivedFrom(nullptr));
}

TEST(RuntimeClass, ObjectsKnowTheirMostDerivedClass)
{
    const std::unique_ptr<CObject> ball(new CObjectTestBall);
    EXPECT_EQ(ball->GetRuntimeClass(), RUNTIME_CLASS(CObjectTestBall));
    EXPECT_TRUE(ball->IsKindOf(RUNTIME_CLASS(CObjectTestShape)));
    EXPECT_FALSE(ball->IsKindOf(RUNTIME_CLASS(CObjectTestBox)));
    EXPECT_TRUE(ball->IsSerializable());
    EXPECT_FALSE(CObjectTestShape().IsSerializable());
    EXPECT_FALSE(CObject().IsSerializable());
}

TEST(RuntimeClass, OnlySerialClassesAreCreatedAndFoundByName)
{
    EXPECT_EQ(CRuntimeClass::FromName("CObjectTestBox"), RUNTIME_CLASS(CObjectTestBox));
    EXPECT_EQ(CRuntimeClass::FromName("CObjectTestShape"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CObjectTestbox"), nullptr);
    EXPECT_EQ(CRuntimeClass::FromName(""), nullptr);

    const std::unique_ptr<CObject> made(CRuntimeClass::FromName("CObjectTestBox")->CreateObject());
    ASSERT_NE(made, nullptr);
    EXPECT_EQ(made->GetRuntimeClass(), RUNTIME_CLASS(CObjectTestBox));
    EXPECT_EQ(RUNTIME_CLASS(CObjectTestShape)->CreateObject(), nullptr);
}

TEST(RuntimeClass, RegisteringAgainIsHarmlessAndTheFirstHolderOfANameStays)
{
    AfxRegisterClass(RUNTIME_CLASS(CObjectTestBox));
    AfxRegisterClass(RUNTIME_CLASS(CObjectTestBox));
    AfxRegisterClass(nullptr);
    EXPECT_EQ(CRuntimeClass::FromName("CObjectTestBox"), RUNTIME_CLASS(CObjectTestBox));

    static const CRuntimeClass impostor{"CObjectTestBox", 0, nullptr, nullptr};
    AfxRegisterClass(&impostor);
    EXPECT_EQ(CRuntimeClass::FromName("CObjectTestBox"), RUNTIME_CLASS(CObjectTestBox));

    AfxRegisterClass(RUNTIME_CLASS(CObjectTestCone));
    EXPECT_EQ(CRuntimeClass::FromName("CObjectTestCone"), RUNTIME_CLASS(CObjectTestCone));
    EXPECT_EQ(CObjectTestCone().GetRuntimeClass()->CreateObject(), nullptr);
}

TEST(RuntimeClass, AClassKnownByNameIsFoundOnceItRegistersAndTestsKindsLikeItsClass)
{
    static CNamedClass named{"CObjectTestPrism"};
    const CObjectTestPrism prism;
    EXPECT_EQ(named.Get(), nullptr);
    EXPECT_FALSE(named.IsKindOf(&prism));

    AfxRegisterClass(RUNTIME_CLASS(CObjectTestPrism));
    EXPECT_EQ(named.Get(), RUNTIME_CLASS(CObjectTestPrism));
    EXPECT_TRUE(named.IsKindOf(&prism));
    EXPECT_FALSE(named.IsKindOf(nullptr));
    EXPECT_FALSE(named.IsKindOf(std::make_unique<CObjectTestBall>().get()));
    EXPECT_FALSE(CNamedClass("CObjectTestShape").IsKindOf(&prism));
}
