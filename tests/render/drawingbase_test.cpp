#include <GL/gl.h>
#include <gtest/gtest.h>

#include "annotations/sectionplane.h"
#include "foundation/geomfilter.h"
#include "model/undosuspender.h"
#include "render/drawingbase.h"
#include "tests/render/glcontextfixture.h"

namespace {

CTransformation Translation(double x, double y, double z)
{
    CTransformation t;
    t.SetTranslation(CVector3d(x, y, z));
    return t;
}

// A section plane kept as long as the test runs.
class Plane
{
public:
    Plane(const CPoint3d& point, const CVector3d& normal) : m_plane(new CSectionPlane(CPlane3d(point, normal))) {}
    ~Plane()
    {
        const CUndoSuspender suspender(true);
        m_plane->Erase();
    }
    CSectionPlane* operator->() const { return m_plane; }
    CSectionPlane* get() const { return m_plane; }

private:
    CSectionPlane* m_plane;
};

}  // namespace

TEST(DrawingBase, EmptyStacksAnswerTheIdentityAndTheDefaultEye)
{
    CDrawingBase base(nullptr);
    EXPECT_FALSE(base.HasTransform());
    EXPECT_TRUE(base.GetTransform().IsIdentity());
    EXPECT_TRUE(base.GetInverseTransform().IsIdentity());
    EXPECT_EQ(base.GetLocalEyePoint(), CPoint3d(0, 0, 0));
    EXPECT_EQ(base.GetLocalViewDirection(), CVector3d(0, 0, 1));
    EXPECT_EQ(base.GetCurrentFilter(), nullptr);
    base.PopTransform(false);  // unmatched
    base.PopFilter();
    EXPECT_EQ(base.GetFilterDepth(), 0);
}

TEST(DrawingBase, NestedTransformsCarryTheEyeAndDirectionIntoLocalSpace)
{
    CDrawingBase base(nullptr);
    base.Reset(CPoint3d(1, 2, 3), CVector3d(0, 1, 0));
    base.PushTransform(Translation(10, 0, 0), false);
    EXPECT_EQ(base.GetLocalEyePoint(), CPoint3d(-9, 2, 3));
    EXPECT_EQ(base.GetLocalViewDirection(), CVector3d(0, 1, 0));

    base.PushTransform(CTransformation::Rotation(CPoint3d(), CUnitVector3d(0, 0, 1), kPi / 2), false);
    EXPECT_EQ(base.GetTransform() * CPoint3d(1, 0, 0), CPoint3d(10, 1, 0));
    EXPECT_EQ(base.GetLocalViewDirection(), CVector3d(1, 0, 0));
    EXPECT_EQ(base.GetInverseTransform() * CPoint3d(10, 1, 0), CPoint3d(1, 0, 0));

    base.PopTransform(false);
    base.PopTransform(false);
    EXPECT_FALSE(base.HasTransform());
    EXPECT_EQ(base.GetLocalEyePoint(), CPoint3d(1, 2, 3));
}

TEST(DrawingBase, SectionFiltersCombineAndFollowInstances)
{
    CDrawingBase base(nullptr);
    const Plane right(CPoint3d(0, 0, 0), CVector3d(1, 0, 0));  // keeps x >= 0
    const Plane up(CPoint3d(0, 0, 0), CVector3d(0, 1, 0));     // keeps y >= 0
    base.PushSectionFilter(right.get(), true);
    base.PushSectionFilter(up.get(), true);
    const orvell::geometry::IGeomFilter* both = base.GetCurrentFilter();
    EXPECT_TRUE(both->TestPoint(CPoint3d(1, 1, 0)));
    EXPECT_FALSE(both->TestPoint(CPoint3d(1, -1, 0)));
    EXPECT_FALSE(both->TestPoint(CPoint3d(-1, 1, 0)));

    // A section plane is not culled by its own filter.
    base.SetSkipTopFilter(true);
    EXPECT_TRUE(base.GetCurrentFilter()->TestPoint(CPoint3d(1, -1, 0)));
    base.SetSkipTopFilter(false);

    base.PushTransform(Translation(-5, 0, 0), false);
    EXPECT_TRUE(base.GetCurrentFilter()->TestPoint(CPoint3d(6, 1, 0)));
    EXPECT_FALSE(base.GetCurrentFilter()->TestPoint(CPoint3d(4, 1, 0)));
    EXPECT_FALSE(base.GetSectionFilters().IsPointKept(CPoint3d(4, 1, 0)));

    // A null filter switches culling off until its pop.
    base.PushFilter(nullptr);
    EXPECT_EQ(base.GetCurrentFilter(), nullptr);
    base.PushTransform(Translation(1, 1, 1), false);
    EXPECT_EQ(base.GetCurrentFilter(), nullptr);
    base.PopTransform(false);
    base.PopFilter();
    EXPECT_FALSE(base.GetCurrentFilter()->TestPoint(CPoint3d(4, 1, 0)));

    base.PopTransform(false);
    base.PopSectionFilter(up.get());
    EXPECT_TRUE(base.GetCurrentFilter()->TestPoint(CPoint3d(1, -1, 0)));
    base.PopSectionFilter(right.get());
    EXPECT_EQ(base.GetFilterDepth(), 0);
    EXPECT_TRUE(base.GetSectionFilters().IsEmpty());
}

using DrawingBaseGL = GLContextTest;

TEST_F(DrawingBaseGL, TransformsReachTheModelViewStackOnlyWhenAsked)
{
    CDrawingBase base;
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    base.PushTransform(Translation(3, 0, 0), false);
    double matrix[16];
    glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 0.0);
    base.PushTransform(Translation(0, 4, 0), true);
    glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ(matrix[12], 0.0);  // only the pushed level, GL accumulates
    EXPECT_EQ(matrix[13], 4.0);
    base.PopTransform(true);
    base.PopTransform(false);
    glGetDoublev(GL_MODELVIEW_MATRIX, matrix);
    EXPECT_EQ(matrix[13], 0.0);

    const Plane plane(CPoint3d(0, 0, 0), CVector3d(1, 0, 0));
    base.PushSectionFilter(plane.get(), true);
    EXPECT_TRUE(glIsEnabled(GL_CLIP_PLANE0));
    base.PopSectionFilter(plane.get());
    EXPECT_FALSE(glIsEnabled(GL_CLIP_PLANE0));
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}
