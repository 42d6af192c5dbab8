#include <GL/gl.h>
#include <gtest/gtest.h>

#include <memory>

#include "render/polygonoffset.h"
#include "render/valueinputbuffer.h"
#include "tests/render/glcontextfixture.h"

namespace {

class CurrentContext : public GLContextTest
{
protected:
    void SetUp() override { MakeCurrent(16, 16, 8); }
};

void ExpectOffset(bool enabled, double factor, double units)
{
    GLdouble current[2] = {};
    glGetDoublev(GL_POLYGON_OFFSET_FACTOR, &current[0]);
    glGetDoublev(GL_POLYGON_OFFSET_UNITS, &current[1]);
    EXPECT_EQ(glIsEnabled(GL_POLYGON_OFFSET_FILL) == GL_TRUE, enabled);
    EXPECT_DOUBLE_EQ(current[0], factor);
    EXPECT_DOUBLE_EQ(current[1], units);
}

}  // namespace

TEST(ValueInputBuffer, EditsAtTheCaretAndReportsOnlyChangesOfTheText)
{
    CValueInputBuffer buffer;
    EXPECT_TRUE(buffer.InsertChar('1'));
    EXPECT_TRUE(buffer.InsertChar('2'));
    EXPECT_FALSE(buffer.HandleEditKey(36));  // Home
    EXPECT_TRUE(buffer.InsertChar('3'));
    EXPECT_EQ(buffer.GetText(), CString("312"));
    EXPECT_EQ(buffer.GetCaret(), 1);
    for (const int refused : {9, 13, 31, 127, 159}) {
        EXPECT_FALSE(buffer.InsertChar(refused));
    }
    EXPECT_TRUE(buffer.HandleEditKey(46));   // Delete the 1
    EXPECT_FALSE(buffer.HandleEditKey(35));  // End
    EXPECT_FALSE(buffer.HandleEditKey(46));  // nothing after the caret
    EXPECT_FALSE(buffer.HandleEditKey(39));
    EXPECT_TRUE(buffer.HandleEditKey(8));
    EXPECT_EQ(buffer.GetText(), CString("3"));
    EXPECT_FALSE(buffer.HandleEditKey(36));
    EXPECT_FALSE(buffer.HandleEditKey(8));   // Backspace at the start
    EXPECT_FALSE(buffer.HandleEditKey(47));
    buffer.SetReplace(0);
    buffer.Clear();
    EXPECT_EQ(buffer.GetReplace(), 1);
    EXPECT_TRUE(buffer.GetText().IsEmpty());
}

TEST(StencilHelpers, ValuesAndVolumePolygons)
{
    EXPECT_EQ(StencilClearValue(8), 127);
    EXPECT_EQ(StencilMaskFromBits(8), 255);
    CShadowVolumePolygon polygon;
    AddVolumePoint(polygon, CPoint3d(0, 0, 0));
    AddVolumePoint(polygon, CPoint3d(0.0005, 0, 0));  // repeats the last point
    for (int i = 1; i <= 4; ++i) {
        AddVolumePoint(polygon, CPoint3d(i, 0, 0));
    }
    EXPECT_EQ(polygon.count, 4);
    EXPECT_EQ(polygon.points[3], CPoint3d(3, 0, 0));
}

TEST_F(CurrentContext, PolygonOffsetsNestAndTheFirstOneTurnedOnSitsOneStepLower)
{
    SetPolygonOffset(false, 2.0, 3.0);
    PushPolygonOffset(true, 1.0, 1.0);
    ExpectOffset(true, 0.0, 0.0);
    PushPolygonOffset(true, 1.0, 1.0);
    ExpectOffset(true, 1.0, 1.0);
    PopPolygonOffset();
    ExpectOffset(true, 0.0, 0.0);
    PopPolygonOffset();
    ExpectOffset(false, 2.0, 3.0);
    PopPolygonOffset();  // unmatched
    EXPECT_EQ(GetPolygonOffsetDepth(), 0);
}
