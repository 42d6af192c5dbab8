#include <gtest/gtest.h>

#include "document/axisoptions.h"
#include "document/material.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "drawapi/pickhelper.h"
#include "foundation/transformation.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class TarnisCSTest : public ::testing::Test
{
protected:
    TestEnvironment m_environment;
    const CUndoSuspender m_suspender;
};

bool IsDefault(const CTarnisCS& axes)
{
    return axes.GetOrigin() == CPoint3d(0, 0, 0) && axes.GetAxis(0) == CVector3d(1, 0, 0) &&
           axes.GetAxis(1) == CVector3d(0, 1, 0) && axes.GetAxis(2) == CVector3d(0, 0, 1);
}

}  // namespace

TEST_F(TarnisCSTest, AZeroAxisOrADamagedElementPartReadsAsTheDefaultAxes)
{
    struct Case
    {
        const char* what;
        CVector3d yAxis;
        int elementVersion;
        bool expectDefault;
    };
    // Element part version 0 is one colour word; version 5 starts with a material
    // reference, which here names an object that does not exist.
    const Case cases[] = {
        {"sound", CVector3d(0, 2, 0), 0, false},
        {"zero y axis", CVector3d(0, 0, 0), 0, true},
        {"bad material reference", CVector3d(0, 2, 0), 5, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        RecordBuilder b;
        if (c.elementVersion == 0) {
            b.ElementPart();
        } else {
            b.Ref(9);
        }
        b.Point(CPoint3d(1, 1, 1)).Point(CPoint3d(1, 0, 0)).Point(CPoint3d(c.yAxis.x, c.yAxis.y, c.yAxis.z));
        b.Point(CPoint3d(0, 0, 1));
        CTarnisCS axes;
        const OldFileVersions versions({{"CDrawingElement", c.elementVersion}});
        Load(b.Get(), [&](CArchive& ar) { axes.Serialize(ar); });
        EXPECT_EQ(IsDefault(axes), c.expectDefault);
        if (!c.expectDefault) {
            EXPECT_TRUE(axes.GetAxis(1) == CVector3d(0, 2, 0));
            EXPECT_TRUE(axes.GetAxis(7) == CVector3d(1, 0, 0));
        }
    }
}

TEST_F(TarnisCSTest, AxesReadWithAMaterialGiveBackTheUseTheyTookAndKeepNone)
{
    auto* material = new CMaterial;
    material->SetUseCount(2);
    RecordBuilder b;
    b.Ref(1).Byte(0).Null();  // element part of version 5: material, hidden, no layer
    b.Point(CPoint3d()).Point(CPoint3d(1, 0, 0)).Point(CPoint3d(0, 1, 0)).Point(CPoint3d(0, 0, 1));
    CTarnisCS axes;
    {
        const OldFileVersions versions({{"CDrawingElement", 5}});
        Load(b.Get(), [&](CArchive& ar) {
            ar.MapObject(material);
            axes.Serialize(ar);
        });
    }
    EXPECT_EQ(axes.GetMaterial(), nullptr);
    EXPECT_EQ(axes.GetLayer(), nullptr);
    EXPECT_EQ(material->GetUseCount(), 2);  // the use the element part took is given back
    documenttest::Dispose(material);
}

TEST_F(TarnisCSTest, AxesWrittenAndReadBackAreEqualAndWriteTheSameBytes)
{
    CTarnisCS axes;
    axes.SetFromTransform(CTransformation(CVector3d(0, 1, 0), CVector3d(-1, 0, 0), CVector3d(0, 0, 1), CPoint3d(3, 4, 5)));
    axes.SetHidden(true);
    const Bytes written = Store([&](CArchive& ar) { axes.Serialize(ar); });
    CTarnisCS read;
    Load(written, [&](CArchive& ar) { read.Serialize(ar); });
    EXPECT_TRUE(read.GetOrigin() == CPoint3d(3, 4, 5));
    EXPECT_TRUE(read.GetAxis(0) == CVector3d(0, 1, 0));
    EXPECT_TRUE(read.IsHidden(nullptr));
    EXPECT_EQ(Store([&](CArchive& ar) { read.Serialize(ar); }), written);

    CBoundingBox3d box;
    read.GetExtents(box);
    EXPECT_DOUBLE_EQ(box.xmin, 2.0);
    EXPECT_DOUBLE_EQ(box.zmax, 6.0);
    read.Reset();
    EXPECT_TRUE(IsDefault(read));
}

TEST_F(TarnisCSTest, AxisOptionsFollowTheCurrentModelOrShowTheAxesWithoutOne)
{
    const CurrentModelScope scope(nullptr);
    CAxisOptions options;
    EXPECT_TRUE(options.IsDisplayAxes());
    orvell::utils::CTypedValue off;
    off.SetBool(false);
    EXPECT_TRUE(options.SetValue("DisplayAxes", off));
    EXPECT_FALSE(options.SetValue("Other", off));
    EXPECT_FALSE(options.GetValue("DisplayAxes").AsBool());
    EXPECT_TRUE(options.GetValue("Other").IsEmpty());
    EXPECT_EQ(options.GetKeyName(0), CString("DisplayAxes"));
    EXPECT_TRUE(options.GetKeyName(1).IsEmpty());
    options.MakeCurrent();  // no model: nothing happens
    options.ResetToDefaults();
    EXPECT_TRUE(options.IsDisplayAxes());

    entitytest::CurrentModel model;
    options.SetValue("DisplayAxes", off);
    options.MakeCurrent();
    EXPECT_FALSE(model.Get().IsDisplayAxes());
    std::unique_ptr<COptionsProvider> clone(options.Clone());
    bool shown = true;
    EXPECT_TRUE(clone->GetValue("DisplayAxes").GetBool(shown));
    EXPECT_FALSE(shown);
}

TEST_F(TarnisCSTest, APointPickHitsTheAxesWhenItTakesTheNearestPointOfAnAxisSegment)
{
    // Takes the segment whose end is the given point; writes down every segment asked.
    class CAxisPicker : public IPickHelper
    {
    public:
        CAxisPicker(int mode, CPoint3d accepted) : m_mode(mode), m_accepted(accepted) {}
        int GetMode() const override { return m_mode; }
        ITarnisView* GetPickView() const override { return nullptr; }
        bool TestPoint(const CPoint3d& /*point*/) const override { return false; }
        bool TestSegment(const CPoint3d& /*start*/, const CPoint3d& end) const override
        {
            ++asked;
            return end == m_accepted;
        }
        bool TestLine(const CBoundedLine3d& /*line*/) const override { return false; }
        CLine3d GetLocalPickLine() const override { return {}; }
        mutable int asked = 0;

    private:
        int m_mode;
        CPoint3d m_accepted;
    };
    CTarnisCS axes;
    axes.SetAxes(CPoint3d(1, 1, 1), CVector3d(2, 0, 0), CVector3d(0, 2, 0), CVector3d(0, 0, 2));
    struct Case
    {
        int mode;
        CPoint3d accepted;
        bool hit;
        int asked;
    };
    for (const Case& test : {Case{IPickHelper::kModePoint, CPoint3d(1, 3, 1), true, 2},
                             Case{IPickHelper::kModePoint, CPoint3d(1, 1, 3), true, 3},
                             Case{IPickHelper::kModePoint, CPoint3d(9, 9, 9), false, 3},
                             Case{IPickHelper::kModeWindow, CPoint3d(3, 1, 1), false, 0}}) {
        const CAxisPicker picker(test.mode, test.accepted);
        EXPECT_EQ(axes.HitTest(&picker), test.hit);
        EXPECT_EQ(picker.asked, test.asked);
    }
}
