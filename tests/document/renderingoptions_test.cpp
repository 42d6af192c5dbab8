#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "document/classregistration.h"
#include "document/renderingoptions.h"
#include "document/settingsmessages.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"
#include "tests/document/settingstestsupport.h"

using settingstest::Bytes;
using settingstest::Recorder;
using settingstest::RecordBuilder;
using settingstest::Store;

namespace {

// Values away from every default.
struct Values
{
    int renderMode = 1;
    bool transparent = true;
    bool enable = true;
    int transparencyCode = 2;
    bool jitter = true;
    int edges = 2;
    CColor background{10, 20, 30, 255};
    CColor foreground{40, 50, 60, 255};
    CColor selection{1, 2, 3, 255};
    CColor construction{7, 8, 9, 255};
    bool shadows = true;
    bool textures = false;
    bool instanceAxes = true;
    bool colorByLayer = true;
    int edgeColorMode = 2;
    bool extend = true;
    int extension = 12;
    bool profiles = false;
    int profileWidth = 5;
    bool depthCue = true;
    int depthCueWidth = 6;
    bool endpoints = true;
    int endpointLength = 7;
    bool alt = true;
    bool hidden = true;
    int reserved = 1;
    CColor front{11, 12, 13, 255};
    CColor back{14, 15, 16, 255};
    double rest = 0.25;
    double other = 0.125;
    bool hideRest = true;
    bool hideOther = true;
    CColor sky{21, 22, 23, 255};
    CColor horizon{24, 25, 26, 255};
    CColor ground{27, 28, 29, 255};
    bool displaySky = true;
    bool displayGround = true;
    bool fromBelow = false;
    int groundTransparency = 30;
    CColor active{31, 32, 33, 255};
    CColor plane{34, 35, 36, 255};
    CColor cut{37, 38, 39, 255};
    int cutWidth = 2;
    int flags = 1;
    int quality = 2;
    bool hideSoft = false;
    double angle = 0.5;
    bool average = false;
    CColor second{41, 42, 43, 255};
};

void AppendSkyAndGround(RecordBuilder& r, int v, const Values& x)
{
    if (v == 13) {
        r.Color(x.sky).Color(x.ground).Int(x.displaySky).Int(x.displayGround).Int(x.fromBelow);
        r.Int(x.groundTransparency);
    } else if (v >= 14) {
        r.Color(x.sky);
        if (v >= 24) {
            r.Color(x.horizon);
        }
        r.Color(x.ground).Bool(x.displaySky).Bool(x.displayGround).Bool(x.fromBelow).Int(x.groundTransparency);
    }
}

void AppendSectionAndQuality(RecordBuilder& r, int v, const Values& x)
{
    if (v >= 15) {
        r.Color(x.active).Color(x.plane).Color(x.cut).Int(x.cutWidth).Int(x.flags);
    }
    if (v == 16) {
        r.Bool(x.enable);
    } else if (v == 18) {
        r.Bool(x.quality != 0);
    } else if (v >= 19) {
        r.Int(x.quality);
        if (v >= 20) {
            r.Bool(x.hideSoft).Double(x.angle);
        }
        if (v >= 21) {
            r.Bool(x.average);
        }
    }
}

// The record of class version v as the program of that version wrote it.
Bytes RecordAt(int v, const Values& x = {}, int entityVersion = 3)
{
    RecordBuilder r;
    r.Entity(entityVersion).Int(x.renderMode);
    if (v >= 17 && v < 22) {
        r.Int(x.transparencyCode);
    } else {
        r.Bool(x.transparent);
    }
    if (v >= 22) {
        r.Bool(x.enable);
    }
    r.Bool(x.jitter);
    v >= 9 ? r.Int(x.edges) : r.Bool(x.edges != 0);
    r.Color(x.background).Color(x.foreground).Color(x.selection);
    if (v >= 11) {
        r.Color(x.construction);
    }
    if (v >= 1) {
        r.Bool(x.shadows);
    }
    if (v == 2) {
        r.Bool(x.textures);
    }
    if (v >= 4) {
        r.Bool(x.instanceAxes);
    }
    if (v >= 5) {
        r.Bool(x.colorByLayer);
    }
    if (v >= 6) {
        r.Bool(x.textures).Int(x.edgeColorMode);
    }
    if (v >= 7) {
        r.Bool(x.extend).Int(x.extension).Bool(x.profiles).Int(x.profileWidth);
        if (v >= 26) {
            r.Bool(x.depthCue).Int(x.depthCueWidth).Bool(x.endpoints).Int(x.endpointLength);
        }
        if (v >= 28) {
            r.Bool(x.alt);
        }
        r.Bool(x.hidden);
    }
    if (v >= 8) {
        r.Int(x.reserved);
    }
    if (v >= 10) {
        r.Color(x.front).Color(x.back);
    }
    if (v >= 12) {
        r.Double(x.rest).Double(x.other).Bool(x.hideRest).Bool(x.hideOther);
    }
    AppendSkyAndGround(r, v, x);
    AppendSectionAndQuality(r, v, x);
    if (v == 23 || v == 24) {
        r.Bool(true);
    }
    if (v >= 27) {
        r.Color(x.second);
    }
    return r.Get();
}

void Read(CRenderingOptions& options, const Bytes& bytes, int version)
{
    settingstest::ReadAll(bytes, {{"CEntity", 3}, {"CRenderingOptions", version}},
                          [&](CArchive& ar) { options.Serialize(ar); });
}

Bytes Write(CRenderingOptions& options, int format = kSaveFormat5000)
{
    return Store([&](CArchive& ar) { options.Serialize(ar); }, format);
}

class RenderingOptionsTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }

    const CUndoSuspender m_suspender;
};

}  // namespace

TEST_F(RenderingOptionsTest, EveryRecordVersionIsReadToItsEnd)
{
    for (int version = 0; version <= 28; ++version) {
        SCOPED_TRACE(version);
        CRenderingOptions options;
        Read(options, RecordAt(version), version);
        EXPECT_EQ(options.GetRenderMode(), 1);
        EXPECT_EQ(options.IsColorByLayer(), version >= 5);
        EXPECT_EQ(options.GetSectionCutWidth(), version >= 15 ? 2 : 4);
        EXPECT_EQ(options.IsHideSoftEdges(), version <= 22);
        EXPECT_EQ(options.GetSecondSelectionColor(), version >= 27 ? Values().second : CColor(255, 0, 0, 255));
    }
}

TEST_F(RenderingOptionsTest, OlderVersionsTranslateWhatTheyStoredDifferently)
{
    struct Case
    {
        const char* name;
        int version;
        Values values;
        std::function<void(const CRenderingOptions&)> check;
    };
    Values mode4;
    mode4.renderMode = 4;
    Values black;
    black.selection = CColor(0, 0, 0, 255);
    Values unsetSky;
    unsetSky.sky = CColor();
    unsetSky.displaySky = true;
    Values codes[4];
    for (int i = 0; i < 4; ++i) {
        codes[i].transparencyCode = i;
    }
    const Case cases[] = {
        {"mode 4 was textured shading", 5, mode4,
         [](const auto& o) { EXPECT_TRUE(o.GetRenderMode() == 2 && o.IsDisplayTextures()); }},
        {"black selection meant yellow", 9, black,
         [](const auto& o) { EXPECT_EQ(o.GetSelectionColor(), CColor(255, 255, 0, 255)); }},
        {"later black selection stays", 10, black,
         [](const auto& o) { EXPECT_EQ(o.GetSelectionColor(), CColor(0, 0, 0, 255)); }},
        {"an unset sky keeps the default", 13, unsetSky,
         [](const auto& o) { EXPECT_EQ(o.GetSkyColor(), CColor(0.55, 0.65, 1.0, 1.0)); }},
        {"enable transparency after the sections", 16, Values(),
         [](const auto& o) { EXPECT_TRUE(o.IsEnableTransparency()); }},
        {"transparency code 0", 17, codes[0],
         [](const auto& o) { EXPECT_FALSE(o.IsTransparentDisplay() || o.IsEnableTransparency()); }},
        {"transparency code 1", 19, codes[1],
         [](const auto& o) { EXPECT_TRUE(o.IsTransparentDisplay() && !o.IsEnableTransparency()); }},
        {"transparency code 2", 21, codes[2],
         [](const auto& o) { EXPECT_TRUE(!o.IsTransparentDisplay() && o.IsEnableTransparency()); }},
        {"transparency code 3 leaves both", 20, codes[3],
         [](const auto& o) { EXPECT_FALSE(o.IsTransparentDisplay() || o.IsEnableTransparency()); }},
        {"quality as a switch", 18, Values(), [](const auto& o) { EXPECT_EQ(o.GetTransparencyQuality(), 1); }},
        {"soft edges forced on", 20, Values(), [](const auto& o) { EXPECT_TRUE(o.IsHideSoftEdges()); }},
        {"soft edges as stored", 23, Values(), [](const auto& o) { EXPECT_FALSE(o.IsHideSoftEdges()); }},
        {"no horizon before 24", 23, Values(), [](const auto& o) { EXPECT_EQ(o.GetHorizonColor(), CColor()); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        CRenderingOptions options;
        Read(options, RecordAt(c.version, c.values), c.version);
        c.check(options);
    }
}

TEST_F(RenderingOptionsTest, EachSaveFormatWritesTheRecordOfItsVersion)
{
    CRenderingOptions options;
    Read(options, RecordAt(28), 28);
    EXPECT_EQ(Write(options), RecordAt(28));
    EXPECT_EQ(Write(options, kSaveFormat4000), RecordAt(25));
    EXPECT_EQ(Write(options, kSaveFormat3000), RecordAt(22, Values(), 2));

    CRenderingOptions read;
    Read(read, Write(options), 28);
    EXPECT_EQ(Write(read), RecordAt(28));
}

// Modes, weights and widths from a file went unchecked, as the checks never run; then
// their repairs left the validity log empty.
TEST_F(RenderingOptionsTest, BadValuesFromAFileAreRepairedAndLoggedAsTheCheckWouldRepairThem)
{
    Values bad;
    bad.renderMode = 9;
    bad.edges = -1;
    bad.edgeColorMode = 3;
    bad.reserved = 2;
    bad.rest = std::numeric_limits<double>::quiet_NaN();
    bad.other = 1.5;
    bad.quality = 5;
    bad.angle = std::numeric_limits<double>::infinity();
    bad.profileWidth = 1000;
    bad.cutWidth = -3;
    CRenderingOptions options;
    ClearValidityLog();
    Read(options, RecordAt(28, bad), 28);
    CString logged;
    for (int id : {kMsgBadRenderMode, kMsgBadEdges, kMsgBadEdgeColorMode, kMsgBadReservedMode,
                   kMsgBadRestOfModelWeight, kMsgBadOtherInstancesWeight, kMsgBadTransparencyQuality,
                   kMsgBadSoftEdgeAngle}) {
        logged += CString::Formatted(GetSettingsMessageFormat(id), GetEntityLabel(&options));
        logged += CString(GetValidityMessageFormat(kMsgRepairing));
    }
    EXPECT_EQ(GetValidityLog(), logged);
    EXPECT_EQ(options.GetRenderMode(), 3);
    EXPECT_EQ(options.GetDisplayEdges(), 1);
    EXPECT_EQ(options.GetEdgeColorMode(), 1);
    EXPECT_EQ(options.GetReservedMode(), 0);
    EXPECT_EQ(options.GetRestOfModelWeight(), 0.0);
    EXPECT_EQ(options.GetOtherInstancesWeight(), 0.0);
    EXPECT_EQ(options.GetTransparencyQuality(), 0);
    EXPECT_EQ(options.GetSoftEdgeAngle(), 0.0);
    EXPECT_EQ(options.GetProfileWidth(), 3);
    EXPECT_EQ(options.GetSectionCutWidth(), 4);
    ClearValidityLog();
}

TEST_F(RenderingOptionsTest, TheCheckReportsBadValuesAndRepairsThemInRepairMode)
{
    CRenderingOptions options;
    options.SetRenderMode(7);
    options.SetTransparencyQuality(-1);
    const CValidityCheckScope checking;
    EXPECT_EQ(options.CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(options.GetRenderMode(), 7);
    EXPECT_EQ(options.CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(options.GetRenderMode(), 3);
    EXPECT_EQ(options.GetTransparencyQuality(), 0);
    EXPECT_EQ(options.CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
}

TEST_F(RenderingOptionsTest, EverySetterPostsItsIdAndRejectedFogDensitiesPostNothing)
{
    CRenderingOptions options;
    const Recorder posts(kRenderingOptionsChangeNotification);
    options.SetRenderMode(0);
    options.SetEnableTransparency(true);
    options.SetDisplayTextures(false);
    options.SetDisplayEdges(0);
    options.SetEdgeColorMode(0);
    options.SetJitterEdges(true);
    options.SetDrawProfiles(false);
    options.SetProfileWidth(1);
    options.SetBackgroundColor(CColor(1, 1, 1));
    options.SetForegroundColor(CColor(2, 2, 2));
    options.SetColorByLayer(true);
    options.SetExtendEdges(true);
    options.SetExtendLength(3);
    options.SetFogDensity(0.1);
    options.SetFogDensity(0.0);
    options.SetFogDensity(std::numeric_limits<double>::quiet_NaN());
    options.SetFogDensity(0.05);
    options.ToggleSectionDisplay(6);
    options.SetShowHiddenGeometry(true);
    options.SetTransparencyQuality(1);
    options.SetDepthCue(true);
    options.SetDrawEndpoints(true);
    options.SetDepthCueWidth(2);
    options.SetEndpointLength(2);
    options.SetAltEdgeEffect(true);
    const std::vector<std::int32_t> expected = {1,  2,  3,  4,  5,  6,  8,  9,  12, 13, 16, 17,
                                                18, 21, 23, 24, 26, 27, 28, 29, 30, 31};
    EXPECT_EQ(posts.codes, expected);
    EXPECT_EQ(options.GetFogDensity(), 0.05);
    EXPECT_EQ(options.GetSectionFlags(), CRenderingOptions::kSectionPlanesShown);
    EXPECT_EQ(posts.pointers.size(), expected.size());
}

TEST_F(RenderingOptionsTest, AssigningToTheModelsOptionsPostsTransparencyThenTheWhole)
{
    CRenderingOptions source;
    source.SetTransparentDisplay(true);
    source.SetDisplayByte(CRenderingOptions::kBlendingOff, true);
    CRenderingOptions page;
    page.SetDisplayByte(CRenderingOptions::DisplayByte(9), false);
    const Recorder posts(kRenderingOptionsChangeNotification);
    page = source;
    EXPECT_TRUE(posts.codes.empty());
    EXPECT_TRUE(page.GetDisplayByte(CRenderingOptions::kBlendingOff));
    EXPECT_FALSE(page.GetDisplayByte(CRenderingOptions::DisplayByte(9)));

    const entitytest::CurrentModel current;
    CRenderingOptions model;
    model.SetModel(&current.Get());
    model = source;
    model = source;
    EXPECT_EQ(posts.codes, (std::vector<std::int32_t>{2, 0, 0}));
    const CRenderingOptions copy(model);
    EXPECT_EQ(copy.GetModel(), nullptr);
    EXPECT_TRUE(copy.IsTransparentDisplay());
}

TEST_F(RenderingOptionsTest, UnsetColoursFallBackAndTheGroundShowsOnlyWhereItCan)
{
    CRenderingOptions options;
    EXPECT_EQ(options.GetBackgroundColor().GetRGB(), 0xFFFFFFu);
    EXPECT_EQ(options.GetForegroundColor().GetRGB(), 0u);
    CColor tinted;
    CColor::Interpolate(options.GetSkyColor(), CColor(255, 255, 255), 0.25, tinted);
    EXPECT_EQ(options.GetTintedColor(), tinted);
    EXPECT_EQ(options.GetOverrideBackgroundColor(), options.GetBackgroundColor());

    EXPECT_FALSE(options.IsGroundVisible(8, 1.0));
    options.SetDisplayGround(true);
    EXPECT_TRUE(options.IsGroundVisible(8, 1.0));
    EXPECT_FALSE(options.IsGroundVisible(5, 1.0));
    EXPECT_TRUE(options.IsGroundVisible(8, -1.0));
    Values below;
    below.groundTransparency = 96;
    Read(options, RecordAt(28, below), 28);
    EXPECT_FALSE(options.IsGroundVisible(8, 1.0));
}
