#include <gtest/gtest.h>

#include <memory>

#include "document/material.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undorecord.h"
#include "tests/document/documenttestsupport.h"

using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::FileVersions;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

// A current manager with an open operation, to see what the setters record.
class MaterialTest : public ::testing::Test
{
protected:
    MaterialTest()
    {
        WriteProfileBool("Undo", "Logging", false);
        m_manager = std::make_unique<CUndoManager>(nullptr);
        SetCurrentUndoManager(m_manager.get());
        {
            const CUndoSuspender suspender;
            m_material = new CMaterial;
        }
        m_operation = m_manager->Start(1);
    }
    ~MaterialTest() override
    {
        m_manager->Commit();
        const CUndoSuspender suspender;
        m_material->Erase();
        m_manager.reset();
    }

    [[nodiscard]] bool Recorded() const { return m_operation->FindRecord(m_material) != nullptr; }

    // Writes the material and reads it back as a file of the given class version.
    CMaterial* RoundTrip(int version)
    {
        const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(m_material); });
        const FileVersions versions({{"CEntity", 3}, {"CMaterial", version}});
        CMaterial* read = nullptr;
        Load(bytes, [&](CArchive& ar) { ArchiveReadMaterial(ar, read); });
        return read;
    }

    TestEnvironment m_environment;
    std::unique_ptr<CUndoManager> m_manager;
    CMaterial* m_material = nullptr;
    CUndoOperation* m_operation = nullptr;
};

}  // namespace


TEST_F(MaterialTest, ATransparencyWithinTheToleranceChangesAndRecordsNothing)
{
    m_material->SetTransparency(0.5009);
    EXPECT_DOUBLE_EQ(m_material->GetTransparency(), 0.5);
    EXPECT_FALSE(Recorded());
    m_material->SetTransparency(0.501);
    EXPECT_DOUBLE_EQ(m_material->GetTransparency(), 0.501);
    EXPECT_TRUE(Recorded());
}

TEST_F(MaterialTest, SettersRecordOnlyRealChanges)
{
    m_material->SetName("<auto>");
    m_material->SetSecondName("");
    m_material->SetColor(CColor());
    m_material->SetKind(kMaterialColor);
    EXPECT_FALSE(Recorded());
    m_material->SetSecondName("Oak");
    EXPECT_TRUE(Recorded());
    EXPECT_TRUE(m_operation->FindRecord(m_material)->HasSavedCopy());
    m_material->SetSecondName("OAK");
    EXPECT_EQ(m_material->GetSecondName(), CString("Oak"));
}

TEST_F(MaterialTest, TheUseCountNeverFallsBelowZero)
{
    m_material->RemoveUse(false);
    EXPECT_EQ(m_material->GetUseCount(), 0);
    m_material->AddUse(true);
    m_material->AddUse(false);
    m_material->RemoveUse(false);
    EXPECT_EQ(m_material->GetUseCount(), 1);
    EXPECT_TRUE(Recorded());
}


TEST_F(MaterialTest, TheRecordRoundTripsEveryField)
{
    {
        const CUndoSuspender suspender;
        m_material->SetName("Brick");
        m_material->SetSecondName("red");
        m_material->SetColor(CColor(200, 50, 40, 255));
        m_material->SetTransparency(0.25);
        m_material->SetUseTransparency(true);
        m_material->SetHidden(true);
        m_material->SetAbsoluteHue(1);
    }
    CMaterial* read = RoundTrip(12);
    ASSERT_NE(read, nullptr);
    EXPECT_EQ(read->GetName(), CString("Brick"));
    EXPECT_EQ(read->GetSecondName(), CString("red"));
    EXPECT_EQ(read->GetColorValue(), CColor(200, 50, 40, 255));
    EXPECT_DOUBLE_EQ(read->GetTransparency(), 0.25);
    EXPECT_TRUE(read->UsesTransparency());
    EXPECT_TRUE(read->IsHidden());
    EXPECT_EQ(read->GetAbsoluteHue(), 1);
    Dispose(read);
}

TEST_F(MaterialTest, AnOlderRecordDerivesTheTransparencySwitchFromTheValue)
{
    {
        const CUndoSuspender suspender;
        m_material->SetColor(CColor(1, 1, 1));
        m_material->SetTransparency(0.0005);
    }
    CMaterial* faint = RoundTrip(11);
    EXPECT_FALSE(faint->UsesTransparency());
    Dispose(faint);

    {
        const CUndoSuspender suspender;
        m_material->SetTransparency(0.2);
    }
    CMaterial* clear = RoundTrip(11);
    EXPECT_TRUE(clear->UsesTransparency());
    Dispose(clear);
}

TEST_F(MaterialTest, AVersion8RecordWithoutTextureIsAPlainOpaqueColour)
{
    {
        const CUndoSuspender suspender;
        m_material->SetColor(CColor(1, 1, 1));
        m_material->SetAbsoluteHue(1);
        m_material->SetTransparency(0.7);
    }
    CMaterial* read = RoundTrip(8);
    EXPECT_EQ(read->GetKind(), kMaterialColor);
    EXPECT_EQ(read->GetAbsoluteHue(), 0);
    EXPECT_DOUBLE_EQ(read->GetTransparency(), 0.0);
    EXPECT_FALSE(read->UsesTransparency());
    Dispose(read);
}


TEST(MaterialNamesTest, TrailingDigitsAreStrippedAndTheAutomaticPrefixKept)
{
    EXPECT_EQ(StripTrailingDigits("Brick12"), CString("Brick"));
    EXPECT_EQ(StripTrailingDigits("123"), CString(""));
    EXPECT_EQ(StripTrailingDigits("A1b"), CString("A1b"));
    EXPECT_EQ(ExpandAutoNamePrefix("*3"), CString("*3"));
}
