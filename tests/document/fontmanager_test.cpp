#include <gtest/gtest.h>

#include "document/fontmanager.h"
#include "document/twfont.h"
#include "model/validitylog.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class FontManagerTest : public ::testing::Test
{
protected:
    FontManagerTest() : m_manager(new CFontManager) {}
    ~FontManagerTest() override { documenttest::Dispose(m_manager); }

    TestEnvironment m_environment;
    const CUndoSuspender m_suspender;
    CFontManager* m_manager;
};

}  // namespace

TEST_F(FontManagerTest, GetFontFindsAFaceWithoutRegardToCaseAndMakesOneForAnotherKind)
{
    CTwFont* arial = m_manager->GetFont("Arial", true, false, 12, 6);
    EXPECT_EQ(m_manager->GetFont("ARIAL", true, false, 12, 6), arial);
    EXPECT_NE(m_manager->GetFont("Arial", true, false, 12, 3), arial);
    EXPECT_NE(m_manager->GetFont("Arial", false, false, 12, 6), arial);
    EXPECT_EQ(m_manager->GetCount(), 3);
    EXPECT_EQ(arial->GetParent(), m_manager);

    m_manager->Add(arial);
    EXPECT_EQ(m_manager->GetCount(), 3);
    m_manager->RemoveFont(arial);
    EXPECT_FALSE(m_manager->Contains(arial));
    EXPECT_EQ(arial->GetParent(), nullptr);
    arial->Erase();
}

TEST_F(FontManagerTest, AListNamingOneFontTwiceHoldsItOnceAndWritesBackTheSameBytes)
{
    RecordBuilder b;
    b.Int(3);
    const int font = b.NewObject("CTwFont");
    b.String("Tahoma").Byte(1).Byte(0).Int(14);
    b.Ref(font).Null();
    {
        const OldFileVersions versions({});
        Load(b.Get(), [&](CArchive& ar) { m_manager->Serialize(ar); });
    }
    ASSERT_EQ(m_manager->GetCount(), 1);
    const auto* read = dynamic_cast<CTwFont*>(m_manager->GetAt(0));
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetFaceName(), CString("Tahoma"));
    EXPECT_TRUE(read->IsBold());
    EXPECT_FALSE(read->IsItalic());
    EXPECT_EQ(read->GetHeight(), 14);

    const Bytes written = Store([&](CArchive& ar) { m_manager->Serialize(ar); });
    auto* again = new CFontManager;
    Load(written, [&](CArchive& ar) { again->Serialize(ar); });
    EXPECT_EQ(Store([&](CArchive& ar) { again->Serialize(ar); }), written);
    documenttest::Dispose(again);
}

TEST_F(FontManagerTest, AFontChecksItsFaceAndHeightAndForgetsItsDrawingSideOnChange)
{
    CTwFont font;
    font.Set("Verdana", false, true, 9);
    font.SetFontPath("/fonts/verdana.ttf");
    font.Set("VERDANA", false, true, 9);  // the same font
    EXPECT_EQ(font.GetFontPath(), CString("/fonts/verdana.ttf"));
    font.SetFontKind(3);
    EXPECT_TRUE(font.GetFontPath().IsEmpty());

    font.SetFontKind(CTwFont::kKindTextImage);
    EXPECT_EQ(font.GetScaledHeight(), 9);
    EXPECT_TRUE(font.IsRealized());
    font.Set("Verdana", false, true, 10);
    EXPECT_FALSE(font.IsRealized());

    const CValidityCheckScope checking;
    CTwFont empty;
    EXPECT_EQ(empty.CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(empty.CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    EXPECT_EQ(empty.GetFaceName(), CString("Tahoma"));
    EXPECT_EQ(empty.GetHeight(), 10);
}
