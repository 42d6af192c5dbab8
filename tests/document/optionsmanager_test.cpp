#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <string>

#include "document/classregistration.h"
#include "document/namedoptions.h"
#include "document/optionsmanager.h"
#include "document/pageoptions.h"
#include "document/slideshowoptions.h"
#include "document/unitsoptions.h"
#include "foundation/point3d.h"
#include "foundation/repairnotes.h"
#include "platform/archive.h"
#include "tests/document/settingstestsupport.h"

using orvell::utils::CTypedValue;
using settingstest::ArchiveCause;
using settingstest::Bytes;
using settingstest::Load;
using settingstest::RecordBuilder;
using settingstest::Store;

namespace {

CTypedValue Int(int value)
{
    CTypedValue typed;
    typed.SetInt(value);
    return typed;
}

CTypedValue Double(double value)
{
    CTypedValue typed;
    typed.SetDouble(value);
    return typed;
}

CTypedValue Text(const char* text)
{
    CTypedValue typed;
    typed.SetString(CString(text));
    return typed;
}

std::vector<CString> ProviderNames(const COptionsManager& manager)
{
    std::vector<CString> names;
    for (int i = 0; i < manager.GetProviderCount(); ++i) {
        names.push_back(manager.GetProviderAt(i)->GetName());
    }
    return names;
}

class OptionsTest : public ::testing::Test
{
protected:
    void SetUp() override { RegisterModelClasses(); }
};

int g_unitsEvents = 0;

}  // namespace

TEST_F(OptionsTest, UnitsOptionsListTheirTenKeysInStoredOrderWithTheirDefaults)
{
    const CUnitsOptions units;
    const char* const names[] = {"LengthPrecision", "LengthFormat", "LengthUnit", "LengthSnapEnabled",
                                 "LengthSnapLength", "AnglePrecision", "AngleSnapEnabled", "SnapAngle",
                                 "SuppressUnitsDisplay", "ForceInchDisplay"};
    ASSERT_EQ(units.GetKeyCount(), 10);
    for (int i = 0; i < 10; ++i) {
        EXPECT_EQ(units.GetKeyName(i), CString(names[i]));
    }
    EXPECT_TRUE(units.GetKeyName(10).IsEmpty());
    EXPECT_TRUE(units.GetKeyName(-1).IsEmpty());
    EXPECT_EQ(units.GetValue("LengthPrecision").GetType(), CTypedValue::kInt);
    EXPECT_EQ(units.GetValue("LengthPrecision").AsInt(), 4);
    EXPECT_EQ(units.GetValue("LengthSnapLength").AsDouble(), 0.0625);
    EXPECT_EQ(units.GetValue("SnapAngle").AsDouble(), 15.0);
    EXPECT_TRUE(units.GetValue("AngleSnapEnabled").AsBool());
    EXPECT_FALSE(units.GetValue("ForceInchDisplay").AsBool());
    EXPECT_TRUE(units.GetValue("lengthprecision").IsEmpty());
}

TEST_F(OptionsTest, AUnitsValueIsConvertedToItsKeysTypeOrRefused)
{
    CUnitsOptions units;
    EXPECT_TRUE(units.SetValue("LengthPrecision", Double(2.9)));
    EXPECT_EQ(units.GetValue("LengthPrecision").GetType(), CTypedValue::kInt);
    EXPECT_EQ(units.GetLengthPrecision(), 2);
    EXPECT_FALSE(units.SetValue("LengthPrecision", Text("3")));
    EXPECT_EQ(units.GetLengthPrecision(), 2);
    EXPECT_FALSE(units.SetValue("NoSuchKey", Int(1)));
    units.ResetToDefaults();
    EXPECT_EQ(units.GetLengthPrecision(), 4);
}

TEST_F(OptionsTest, LengthTextReadsTheCurrentUnitsOptionsAndFallsBackToTheDefaults)
{
    EXPECT_EQ(GetCurrentLengthFormat(), 1);
    EXPECT_EQ(GetCurrentLengthPrecision(), 4);
    {
        CUnitsOptions units;
        units.MakeCurrent();
        ASSERT_TRUE(units.SetValue("LengthFormat", Int(2)));
        ASSERT_TRUE(units.SetValue("LengthUnit", Int(3)));
        EXPECT_EQ(CUnitsOptions::GetCurrent(), &units);
        EXPECT_EQ(GetCurrentLengthFormat(), 2);
        EXPECT_EQ(GetCurrentLengthUnit(), 1);
        ASSERT_TRUE(units.SetValue("LengthFormat", Int(0)));
        EXPECT_EQ(GetCurrentLengthUnit(), 3);
    }
    EXPECT_EQ(CUnitsOptions::GetCurrent(), nullptr);
    EXPECT_EQ(GetCurrentLengthFormat(), 1);
}

TEST_F(OptionsTest, ChangingTheLengthFormatOrUnitTellsTheHandlerButThePrecisionDoesNot)
{
    g_unitsEvents = 0;
    CUnitsOptions::SetChangeHandler([](int event) { g_unitsEvents += event == 7 ? 1 : 100; });
    CUnitsOptions units;
    (void)units.SetValue("LengthFormat", Int(0));
    (void)units.SetValue("LengthUnit", Int(2));
    (void)units.SetValue("LengthPrecision", Int(1));
    CUnitsOptions::SetChangeHandler(nullptr);
    EXPECT_EQ(g_unitsEvents, 2);
}

TEST_F(OptionsTest, PageAndSlideshowOptionsAreReadThroughTheirCurrentProviders)
{
    EXPECT_TRUE(IsTransitionEnabled());
    EXPECT_EQ(GetTransitionTime(), 1.5);
    EXPECT_EQ(GetSlideTime(), 1.0);
    EXPECT_TRUE(GetLoopSlideshow());
    CPageOptions page;
    CSlideshowOptions slides;
    EXPECT_TRUE(page.IsPageKey("TransitionTime"));
    EXPECT_FALSE(CUnitsOptions().IsPageKey("LengthUnit"));
    page.MakeCurrent();
    slides.MakeCurrent();
    (void)page.SetValue("ShowTransition", Int(0));
    (void)page.SetValue("TransitionTime", Double(3.0));
    (void)slides.SetValue("SlideTime", Double(4.5));
    (void)slides.SetValue("LoopSlideshow", Int(0));
    EXPECT_FALSE(IsTransitionEnabled());
    EXPECT_EQ(GetTransitionTime(), 3.0);
    EXPECT_EQ(GetSlideTime(), 4.5);
    EXPECT_FALSE(GetLoopSlideshow());
}

TEST_F(OptionsTest, NamedOptionsKeepAnyKeyInByteOrderAndForgetAKeySetEmpty)
{
    CNamedOptions named;
    EXPECT_TRUE(named.SetValue("b", Int(2)));
    EXPECT_TRUE(named.SetValue("B", Int(1)));
    EXPECT_TRUE(named.SetValue("a", Int(3)));
    ASSERT_EQ(named.GetKeyCount(), 3);
    EXPECT_EQ(named.GetKeyName(0), CString("B"));
    EXPECT_EQ(named.GetKeyName(1), CString("a"));
    EXPECT_EQ(named.GetKeyName(2), CString("b"));
    EXPECT_TRUE(named.GetKeyName(3).IsEmpty());
    EXPECT_TRUE(named.SetValue("a", CTypedValue()));
    EXPECT_EQ(named.GetKeyCount(), 2);
    EXPECT_TRUE(named.GetValue("a").IsEmpty());

    std::unique_ptr<COptionsProvider> clone(named.Clone());
    (void)clone->SetValue("b", Int(9));
    EXPECT_EQ(named.GetValue("b").AsInt(), 2);
    EXPECT_EQ(clone->GetValue("b").AsInt(), 9);
}

TEST_F(OptionsTest, ANewManagerHoldsAProviderOfEveryKindInTheOrderFilesListThem)
{
    std::unique_ptr<COptionsManager> manager(CreateOptionsManager());
    const std::vector<CString> names = ProviderNames(*manager);
    ASSERT_GE(names.size(), 4u);
    EXPECT_EQ(names.front(), CString("UnitsOptions"));
    EXPECT_EQ(names.back(), CString("SlideshowOptions"));
    EXPECT_NE(manager->GetProvider("NamedOptions"), nullptr);
    EXPECT_EQ(manager->GetProvider("namedoptions"), nullptr);
    EXPECT_FALSE(manager->SetValue("Nobody", "Key", Int(1)));
    EXPECT_TRUE(manager->SetValue("NamedOptions", "Key", Int(1)));
}

TEST_F(OptionsTest, PrototypesTakeTheirFilePlaceWhateverOrderTheyAreRegisteredIn)
{
    FreeOptionsProviderRegistry();
    RegisterOptionsProvider(new CSlideshowOptions);
    RegisterOptionsProvider(new CNamedOptions);
    RegisterOptionsProvider(new CPageOptions);
    RegisterOptionsProvider(new CUnitsOptions);
    RegisterOptionsProvider(new CUnitsOptions);
    std::unique_ptr<COptionsManager> manager(CreateOptionsManager());
    const std::vector<CString> expected = {"UnitsOptions", "NamedOptions", "PageOptions", "SlideshowOptions"};
    EXPECT_EQ(ProviderNames(*manager), expected);
    FreeOptionsProviderRegistry();
    RegisterModelClasses();
}

TEST_F(OptionsTest, TheManagerRecordReadsBackIntoEqualValuesAndEqualBytes)
{
    std::unique_ptr<COptionsManager> written(CreateOptionsManager());
    (void)written->SetValue("UnitsOptions", "LengthUnit", Int(4));
    (void)written->SetValue("NamedOptions", "Colour", Text("blue"));
    (void)written->SetValue("PageOptions", "TransitionTime", Double(0.25));
    const Bytes bytes = Store([&](CArchive& ar) { written->Serialize(ar); });

    std::unique_ptr<COptionsManager> read(CreateOptionsManager());
    Load(bytes, [&](CArchive& ar) { read->Serialize(ar); });
    EXPECT_EQ(read->GetProvider("UnitsOptions")->GetValue("LengthUnit").AsInt(), 4);
    CString colour;
    EXPECT_TRUE(read->GetProvider("NamedOptions")->GetValue("Colour").GetString(colour));
    EXPECT_EQ(colour, CString("blue"));
    EXPECT_EQ(read->GetProvider("PageOptions")->GetValue("TransitionTime").AsDouble(), 0.25);
    EXPECT_EQ(Store([&](CArchive& ar) { read->Serialize(ar); }), bytes);
}

TEST_F(OptionsTest, UnknownProvidersAndKeysAreReadThroughAndDropped)
{
    CTypedValue number = Int(7);
    const Bytes seven = Store([&](CArchive& ar) { number.Write(ar); });
    RecordBuilder record;
    record.Int(1).Int(2);
    record.String("StrangeOptions").String("Anything").Append(seven).String("");
    record.String("UnitsOptions").String("Unknown").Append(seven).String("LengthPrecision").Append(seven).String("");

    std::unique_ptr<COptionsManager> manager(CreateOptionsManager());
    Load(record.Get(), [&](CArchive& ar) {
        manager->Serialize(ar);
        EXPECT_EQ(ar.GetRemainingBytes(), 0u);
    });
    EXPECT_EQ(manager->GetProvider("UnitsOptions")->GetValue("LengthPrecision").AsInt(), 7);
}

// A value that is not finite once refused the whole model file, and later took the key's
// default under any key, so that a named value was lost. Only a key the program computes
// with takes its default; an on/off key converts the number (on), and a named value is kept
// and written back as read.
TEST_F(OptionsTest, ANumberThatIsNotFiniteTakesTheDefaultOnlyWhereTheProgramComputesWithIt)
{
    for (const double bad : entitytest::kNonFinite) {
        CTypedValue spot;
        spot.SetPoint(CPoint3d(1, bad, 0));
        CTypedValue list;
        list.SetArray({Double(1.0), Double(bad)});
        const auto bytes = [](const CTypedValue& value) { return Store([&](CArchive& ar) { value.Write(ar); }); };
        RecordBuilder record;
        record.Int(1).Int(3).String("UnitsOptions");
        record.String("Unknown").Append(bytes(Double(bad))).String("LengthSnapLength").Append(bytes(Double(bad)));
        record.String("LengthPrecision").Append(bytes(Double(bad))).String("SnapAngle").Append(bytes(spot));
        record.String("SuppressUnitsDisplay").Append(bytes(Double(bad))).String("");
        record.String("AxisOptions").String("DisplayAxes").Append(bytes(Double(bad))).String("");
        record.String("NamedOptions").String("Spot").Append(bytes(spot)).String("List").Append(bytes(list));
        record.String("Note").Append(bytes(Double(bad))).String("");

        std::unique_ptr<COptionsManager> manager(CreateOptionsManager());
        (void)manager->SetValue("UnitsOptions", "LengthSnapLength", Double(3.0));
        (void)manager->SetValue("UnitsOptions", "SnapAngle", Double(7.0));
        (void)manager->SetValue("AxisOptions", "DisplayAxes", Int(0));
        (void)manager->SetValue("NamedOptions", "Spot", Double(3.0));
        ::testing::internal::CaptureStderr();
        const CRepairNotes notes;  // as a file's read: each kind said once
        Load(record.Get(), [&](CArchive& ar) {
            manager->Serialize(ar);
            EXPECT_EQ(ar.GetRemainingBytes(), 0u);
        });
        const std::string said = ::testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(said.begin(), said.end(), '\n'), 3) << said;
        const COptionsProvider& units = *manager->GetProvider("UnitsOptions");
        EXPECT_EQ(units.GetValue("LengthSnapLength").AsDouble(), 0.0625) << bad;
        EXPECT_EQ(units.GetValue("LengthPrecision").AsInt(), 4) << bad;
        EXPECT_EQ(units.GetValue("SnapAngle").AsDouble(), 7.0) << bad;  // a point does not convert
        EXPECT_TRUE(units.GetValue("SuppressUnitsDisplay").AsBool()) << bad;
        EXPECT_TRUE(manager->GetProvider("AxisOptions")->GetValue("DisplayAxes").AsBool()) << bad;
        const COptionsProvider& named = *manager->GetProvider("NamedOptions");
        EXPECT_EQ(named.GetKeyCount(), 3) << bad;
        EXPECT_EQ(Store([&](CArchive& ar) { named.GetValue("Spot").Write(ar); }), bytes(spot)) << bad;
        EXPECT_EQ(Store([&](CArchive& ar) { named.GetValue("List").Write(ar); }), bytes(list)) << bad;
        EXPECT_EQ(Store([&](CArchive& ar) { named.GetValue("Note").Write(ar); }), bytes(Double(bad))) << bad;
    }
}

TEST_F(OptionsTest, AProviderCountThatTheDataCannotHoldIsTheArchiveException)
{
    for (const std::int32_t count : {-1, 1000000}) {
        RecordBuilder record;
        record.Int(1).Int(count).String("UnitsOptions").String("");
        std::unique_ptr<COptionsManager> manager(CreateOptionsManager());
        EXPECT_EQ(ArchiveCause([&] { Load(record.Get(), [&](CArchive& ar) { manager->Serialize(ar); }); }),
                  CArchiveException::genericException)
            << count;
    }
}
