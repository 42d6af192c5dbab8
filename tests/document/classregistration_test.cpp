#include "document/classregistration.h"
#include "document/versionmap.h"
#include "platform/object.h"

#include <gtest/gtest.h>

namespace {

// Every model class that exists must be creatable by name from a file, with its
// current version as its schema, so that records read at the version a file names.
TEST(ClassRegistration, EveryRegisteredModelClassCarriesItsCurrentVersionAsSchema)
{
    RegisterModelClasses();
    int count = 0;
    const ClassVersionRow* rows = GetClassVersionTable(&count);
    int registered = 0;
    for (int i = 0; i < count; ++i) {
        const CRuntimeClass* cls = CRuntimeClass::FromName(rows[i].name);
        if (cls == nullptr) {
            continue;  // a class of a part of the model not built yet
        }
        ++registered;
        EXPECT_EQ(cls->m_wSchema, VERSIONABLE_SCHEMA | static_cast<UINT>(rows[i].current)) << rows[i].name;
        EXPECT_EQ(GetVersionMapCurrent()->GetVersion(cls), rows[i].current) << rows[i].name;
    }
    EXPECT_GE(registered, 16);
}

TEST(ClassRegistration, TheVersionMapIsCreatableButNotVersionable)
{
    RegisterModelClasses();
    const CRuntimeClass* cls = CRuntimeClass::FromName("CVersionMap");
    ASSERT_NE(cls, nullptr);
    EXPECT_EQ(cls->m_wSchema, 0u);
}

}  // namespace
