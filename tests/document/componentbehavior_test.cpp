#include <gtest/gtest.h>

#include "document/classregistration.h"
#include "document/componentbehavior.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"
#include "tests/document/settingstestsupport.h"

using settingstest::Bytes;
using settingstest::FileVersionScope;
using settingstest::RecordBuilder;
using settingstest::Store;

namespace {

struct Flags
{
    bool glued;
    int glueTo;
    bool cuts;
    bool facesCamera;
    bool shadowsFaceSun;
};

Flags Of(const CComponentBehavior& behavior)
{
    return {behavior.IsGlued(), behavior.GetGlueTo(), behavior.CutsOpening(), behavior.AlwaysFacesCamera(),
            behavior.ShadowsFaceSun()};
}

void Read(CComponentBehavior& behavior, const Bytes& bytes, int version)
{
    settingstest::ReadAll(bytes, {{"CEntity", 3}, {"CComponentBehavior", version}},
                          [&](CArchive& ar) { behavior.Serialize(ar); });
}

class ComponentBehaviorTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }

    const CUndoSuspender m_suspender;
};

}  // namespace

TEST_F(ComponentBehaviorTest, EachRecordVersionReadsItsFieldsAndDefaultsTheRest)
{
    struct Case
    {
        int version;
        Bytes fields;
        Flags expected;
    };
    const FileVersionScope file(5, 0, 232);
    const Case cases[] = {
        {0, RecordBuilder().Bool(true).Get(), {true, 0, true, false, false}},
        {2, RecordBuilder().Bool(false).Int(2).Get(), {true, 2, false, false, false}},
        {3, RecordBuilder().Bool(false).Bool(true).Int(1).Get(), {false, 1, true, false, false}},
        {4, RecordBuilder().Bool(true).Bool(false).Int(3).Byte(3).Get(), {true, 3, false, true, true}},
        {4, RecordBuilder().Bool(true).Bool(false).Int(3).Byte(1).Get(), {true, 3, false, true, false}},
    };
    for (const Case& c : cases) {
        CComponentBehavior behavior;
        Read(behavior, RecordBuilder().Entity().Append(c.fields).Get(), c.version);
        const Flags got = Of(behavior);
        EXPECT_EQ(got.glued, c.expected.glued) << c.version;
        EXPECT_EQ(got.glueTo, c.expected.glueTo) << c.version;
        EXPECT_EQ(got.cuts, c.expected.cuts) << c.version;
        EXPECT_EQ(got.facesCamera, c.expected.facesCamera) << c.version;
        EXPECT_EQ(got.shadowsFaceSun, c.expected.shadowsFaceSun) << c.version;
    }
}

TEST_F(ComponentBehaviorTest, TheShadowFlagDependsOnTheVersionOfTheFileBeingRead)
{
    struct Case
    {
        int major;
        int build;
        BYTE bits;
        bool before;
        bool expected;
    };
    const Case cases[] = {
        {5, 150, 1, false, true},  // early builds always turned shadows to the sun
        {5, 151, 1, false, false},
        {5, 151, 3, false, true},
        {5, 151, 2, true, true},   // bit 0 clear keeps the previous value
        {4, 1, 3, true, false},    // older files never had the flag
    };
    for (const Case& c : cases) {
        const FileVersionScope file(c.major, 0, c.build);
        CComponentBehavior behavior;
        behavior.SetShadowsFaceSun(c.before);
        Read(behavior, RecordBuilder().Entity().Bool(false).Bool(false).Int(0).Byte(c.bits).Get(), 4);
        EXPECT_EQ(behavior.ShadowsFaceSun(), c.expected) << c.major << "." << c.build << " bits " << int(c.bits);
    }
}

TEST_F(ComponentBehaviorTest, EachSaveFormatWritesItsOwnForm)
{
    CComponentBehavior behavior;
    behavior.SetGlued(true, 2);
    behavior.SetCutsOpening(true);
    behavior.SetAlwaysFacesCamera(true);
    behavior.SetShadowsFaceSun(true);
    const auto write = [&](int format) { return Store([&](CArchive& ar) { behavior.Serialize(ar); }, format); };
    EXPECT_EQ(write(kSaveFormat5000), RecordBuilder().Entity().Bool(true).Bool(true).Int(2).Byte(3).Get());
    EXPECT_EQ(write(kSaveFormat4000), RecordBuilder().Entity().Bool(true).Bool(true).Int(2).Bool(true).Get());
    EXPECT_EQ(write(kSaveFormat3000), RecordBuilder().Bool(true).Bool(true).Int(2).Get());

    behavior.SetAlwaysFacesCamera(false);
    EXPECT_EQ(write(kSaveFormat5000), RecordBuilder().Entity().Bool(true).Bool(true).Int(2).Byte(0).Get());
}

TEST_F(ComponentBehaviorTest, AWrittenBehaviourReadsBackEqualAndWritesTheSameBytes)
{
    const FileVersionScope file(5, 0, 232);
    CComponentBehavior written;
    written.SetGlued(true, 1);
    written.SetAlwaysFacesCamera(true);
    written.SetShadowsFaceSun(true);
    const Bytes bytes = Store([&](CArchive& ar) { written.Serialize(ar); });
    CComponentBehavior read;
    Read(read, bytes, 4);
    EXPECT_EQ(Store([&](CArchive& ar) { read.Serialize(ar); }), bytes);
    EXPECT_TRUE(read.ShadowsFaceSun());
    read.Reset();
    EXPECT_FALSE(read.IsGlued() || read.AlwaysFacesCamera() || read.ShadowsFaceSun());
}

// A glue-to kind outside 0..3 from a file used to survive until a check that never ran.
TEST_F(ComponentBehaviorTest, AnUnknownGlueToKindReadsAsZeroAndTheCheckRepairsOne)
{
    CComponentBehavior read;
    Read(read, RecordBuilder().Entity().Bool(true).Bool(false).Int(9).Get(), 3);
    EXPECT_EQ(read.GetGlueTo(), 0);

    CComponentBehavior behavior;
    behavior.SetGlued(true, -4);
    const CValidityCheckScope checking;
    EXPECT_EQ(behavior.CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(behavior.GetGlueTo(), -4);
    EXPECT_EQ(behavior.CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(behavior.GetGlueTo(), 0);
}
