#include <gtest/gtest.h>

#include <cmath>

#include "annotations/sectionplane.h"
#include "document/classregistration.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/group.h"
#include "document/image.h"
#include "document/material.h"
#include "document/definitionlist.h"
#include "document/instancepath.h"
#include "drawapi/renderingflags.h"
#include "foundation/boundedline3d.h"
#include "foundation/geomfilter.h"
#include "foundation/line3d.h"
#include "foundation/unitvector3d.h"
#include "model/edge.h"
#include "model/entitiesatpoint.h"
#include "model/face.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/validitylog.h"
#include "model/vertex.h"
#include "tests/document/componenttestsupport.h"
#include "tests/document/documenttestsupport.h"

using componenttest::OldFileVersions;
using componenttest::RecordBuilder;
using documenttest::Bytes;
using documenttest::Dispose;
using documenttest::Load;
using documenttest::Store;
using undotest::TestEnvironment;

namespace {

class ComponentInstanceTest : public ::testing::Test
{
protected:
    ComponentInstanceTest() { componenttest::EnsureBehaviorAndThumbnailClasses(); }

    TestEnvironment m_environment;
    const CUndoSuspender m_suspender;
};

constexpr std::int32_t kSentinel = 0x5EED;

CTransformation Placement()
{
    CTransformation placement;
    placement.SetTranslation(CVector3d(4, 5, 6));
    return placement;
}

// An instance record of the given version: no definition, the placement, then what
// the version adds.
Bytes InstanceRecord(const char* className, int version)
{
    RecordBuilder b;
    b.NewObject(className);
    b.ElementPart().Null().Transform(Placement());
    if (version < 2) {
        b.Int(77);  // dropped
    }
    if (version == 1 || version == 2) {
        b.Int(1).Null();  // a material flag, then no material after all
    }
    if (version >= 4) {
        b.String("named");
    }
    b.Int(kSentinel);
    return b.Get();
}

template <typename T>
T* ReadOne(const Bytes& bytes, const componenttest::VersionList& versions)
{
    CObject* read = nullptr;
    const OldFileVersions map(versions);
    Load(bytes, [&](CArchive& ar) {
        read = ar.ReadObject(nullptr);
        std::int32_t sentinel = 0;
        ar >> sentinel;
        EXPECT_EQ(sentinel, kSentinel);
    });
    return dynamic_cast<T*>(read);
}

bool Near(double a, double b)
{
    return std::fabs(a - b) < 1e-9;
}

}  // namespace

TEST_F(ComponentInstanceTest, EveryInstanceVersionReadsAndGroupsAndImagesReadAtTheInstanceVersion)
{
    for (const char* className : {"CComponentInstance", "CGroup", "CImage"}) {
        for (int version = 0; version <= 4; ++version) {
            SCOPED_TRACE(std::string(className) + " " + std::to_string(version));
            auto* instance = ReadOne<CComponentInstance>(InstanceRecord(className, version),
                                                         {{"CComponentInstance", version}});
            ASSERT_NE(instance, nullptr);
            EXPECT_EQ(instance->GetDefinition(), nullptr);
            EXPECT_TRUE(instance->GetTransform().GetOrigin() == CPoint3d(4, 5, 6));
            EXPECT_EQ(instance->GetName(), CString(version >= 4 ? "named" : ""));
            Dispose(instance);
        }
    }
}

TEST_F(ComponentInstanceTest, TheTypesAndMaterialRulesOfTheThreeKinds)
{
    CComponentInstance instance;
    CGroup group;
    CImage image;
    EXPECT_EQ(instance.GetTypeId(), 5);
    EXPECT_EQ(group.GetTypeId(), 20);
    EXPECT_EQ(image.GetTypeId(), 21);
    EXPECT_TRUE(instance.CanHaveMaterial());
    EXPECT_TRUE(group.CanHaveMaterial());
    EXPECT_FALSE(image.CanHaveMaterial());
    EXPECT_TRUE(group.CastsShadows());
    EXPECT_FALSE(image.CastsShadows());
    EXPECT_TRUE(image.IsFaceSideShown());
    EXPECT_EQ(image.GetFace(), nullptr);
}

TEST_F(ComponentInstanceTest, AnImageComesBackWithARightAngledZAxisOfScaleOneAndMirroringKept)
{
    for (const bool mirrored : {false, true}) {
        SCOPED_TRACE(mirrored);
        // x scaled by 2 and y by 3, z leaning and scaled by 5.
        const CTransformation skewed(CVector3d(2, 0, 0), CVector3d(0, mirrored ? -3 : 3, 0), CVector3d(1, 0, 5),
                                     CPoint3d(7, 8, 9));
        RecordBuilder b;
        b.NewObject("CImage");
        b.ElementPart().Null().Transform(skewed).String("").Int(kSentinel);
        auto* image = ReadOne<CImage>(b.Get(), {});
        ASSERT_NE(image, nullptr);
        const CTransformation& t = image->GetTransform();
        EXPECT_TRUE(Near(t.GetXScale(), 2.0));
        EXPECT_TRUE(Near(t.GetYScale(), 3.0));
        EXPECT_TRUE(Near(t.GetZScale(), 1.0));
        const CUnitVector3d z = t.GetZAxis();
        EXPECT_TRUE(Near(z.x, 0.0) && Near(z.y, 0.0) && Near(std::fabs(z.z), 1.0));
        EXPECT_EQ(t.IsMirrored(), mirrored);
        EXPECT_TRUE(t.GetOrigin() == CPoint3d(7, 8, 9));
        Dispose(image);
    }
}

TEST_F(ComponentInstanceTest, AnImageReadWithAMaterialDropsItAndGivesBackTheUse)
{
    auto* material = new CMaterial;
    material->SetUseCount(3);
    RecordBuilder b;
    b.NewObject("CImage");
    // An element part of version 5: the material (the object mapped first), hidden, layer.
    b.Ref(1).Byte(0).Null();
    b.Null().Transform(CTransformation()).String("").Int(kSentinel);
    CImage* image = nullptr;
    {
        const OldFileVersions versions({{"CDrawingElement", 5}});
        Load(b.Get(), [&](CArchive& ar) {
            ar.MapObject(material);
            image = dynamic_cast<CImage*>(ar.ReadObject(nullptr));
            std::int32_t sentinel = 0;
            ar >> sentinel;
            EXPECT_EQ(sentinel, kSentinel);
        });
    }
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->GetMaterial(), nullptr);
    EXPECT_EQ(material->GetUseCount(), 3);
    Dispose(image);
    Dispose(material);
}

TEST_F(ComponentInstanceTest, ExtentsFollowTheDefinitionThroughThePlacementAndNothingWithoutOne)
{
    auto* definition = new CComponentDefinition;
    definition->Add(new documenttest::CProbeElement(CPoint3d(1, 1, 1)));
    auto* instance = new CComponentInstance;
    CBoundingBox3d box;
    instance->GetExtents(box);
    EXPECT_TRUE(box.IsEmpty());

    definition->AddInstance(instance);
    instance->SetTransform(Placement());
    instance->GetExtents(box);
    EXPECT_DOUBLE_EQ(box.xmin, 5.0);
    EXPECT_DOUBLE_EQ(box.zmax, 7.0);
    CBoundingBox3d accumulated;
    instance->AccumulateExtents(CTransformation(), accumulated);
    EXPECT_DOUBLE_EQ(accumulated.ymax, 6.0);

    instance->SetScales(CVector3d(2, 2, 2));
    EXPECT_TRUE(Near(instance->GetTransform().GetXScale(), 2.0));
    EXPECT_TRUE(instance->GetTransform().GetOrigin() == CPoint3d(4, 5, 6));
    instance->Erase();
    Dispose(definition);
}

// An instance that faces the camera turns about its z axis: its box holds every turn,
// and with shadows facing the sun it casts turned towards the light.
TEST_F(ComponentInstanceTest, AnInstanceFacingTheCameraBoundsEveryTurnAndCastsTurnedToTheLight)
{
    auto* definition = new CComponentDefinition;
    definition->Add(new documenttest::CProbeElement(CPoint3d(0, 0, 0)));
    definition->Add(new documenttest::CProbeElement(CPoint3d(4, 2, 6)));
    auto* behavior = dynamic_cast<CComponentBehavior*>(definition->GetBehavior());
    ASSERT_NE(behavior, nullptr);
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    instance->SetTransform(Placement());

    struct BoxCase
    {
        bool facesCamera;
        CBoundingBox3d expected;
    };
    // The centre (2, 1, 3) plus and minus the larger of the x and y extents (4) and the
    // z extent (6), moved by the placement.
    const BoxCase boxes[] = {
        {false, CBoundingBox3d(4, 8, 5, 7, 6, 12)},
        {true, CBoundingBox3d(2, 10, 2, 10, 3, 15)},
    };
    for (const BoxCase& c : boxes) {
        behavior->SetAlwaysFacesCamera(c.facesCamera);
        CBoundingBox3d box;
        instance->GetExtents(box);
        EXPECT_TRUE(box.GetMin() == c.expected.GetMin() && box.GetMax() == c.expected.GetMax()) << c.facesCamera;
    }

    struct ShadowCase
    {
        const char* name;
        bool facesCamera;
        bool facesSun;
        bool developerSwitch;
        CVector3d light;
        CUnitVector3d y;
    };
    const ShadowCase shadows[] = {
        {"turned to the light", true, true, true, {1, 0, -1}, {1, 0, 0}},
        {"the light along the y axis already", true, true, true, {0, 1, -1}, {0, 1, 0}},
        {"the light against the y axis", true, true, true, {0, -1, -1}, {0, 1, 0}},
        {"shadows not facing the sun", true, false, true, {1, 0, -1}, {0, 1, 0}},
        {"not facing the camera", false, true, true, {1, 0, -1}, {0, 1, 0}},
        {"the developer switch off", true, true, false, {1, 0, -1}, {0, 1, 0}},
    };
    for (const ShadowCase& c : shadows) {
        behavior->SetAlwaysFacesCamera(c.facesCamera);
        behavior->SetShadowsFaceSun(c.facesSun);
        renderingflags::FixFaceMeShadows = c.developerSwitch;
        const CTransformation turned = instance->GetShadowTransform(c.light);
        const CUnitVector3d y = turned.GetYAxis();
        EXPECT_NEAR(y.x, c.y.x, 1e-9) << c.name;
        EXPECT_NEAR(y.y, c.y.y, 1e-9) << c.name;
        EXPECT_TRUE(turned.GetOrigin() == CPoint3d(4, 5, 6)) << c.name;
    }
    renderingflags::FixFaceMeShadows = true;
    EXPECT_TRUE(instance->GetTransform().GetYAxis().y > 0.999) << "the instance itself is not turned";
    instance->Erase();
    Dispose(definition);
}

// The glue finder's question: what lies at a point, through nested instances.
TEST_F(ComponentInstanceTest, APointOnAnEdgeInsideTwoInstancesIsFoundWithThePathOfBoth)
{
    // inner: an edge from (0, 0, 0) to (2, 0, 0); outer: an empty instance, then inner
    // lifted by 1; the top instance moves outer by (10, 0, 0).
    auto* inner = new CComponentDefinition;
    auto* edge = new CEdge(new CVertex(CPoint3d(0, 0, 0)), new CVertex(CPoint3d(2, 0, 0)), false);
    inner->Add(edge);
    auto* empty = new CComponentDefinition;
    auto* outer = new CComponentDefinition;
    CComponentInstance* missed = componenttest::PlaceInstance(empty, outer, CVector3d(0, 0, 0));
    CComponentInstance* middle = componenttest::PlaceInstance(inner, outer, CVector3d(0, 0, 1));
    CComponentInstance* top = componenttest::PlaceInstance(outer, nullptr, CVector3d(10, 0, 0));
    struct Case
    {
        CPoint3d point;
        bool hit;
    };
    const Case cases[] = {{{11, 0, 1}, true}, {{11, 0.0005, 1}, true}, {{11, 0, 0}, false}, {{13, 0, 1}, false}};
    for (const Case& c : cases) {
        CInstancePath path;
        EXPECT_EQ(EntityHitsPoint(c.point, top, path), c.hit);
        if (c.hit) {
            EXPECT_EQ(path.GetEntities(), (std::vector<CEntity*>{top, middle, edge}));
        }
    }
    EXPECT_NE(missed, nullptr);
    top->Erase();
    Dispose(outer);
    Dispose(inner);
    Dispose(empty);
}

namespace {

// A point that a ray hits when it passes within 0.01 of it.
class CPickablePoint : public documenttest::CProbeElement
{
public:
    explicit CPickablePoint(const CPoint3d& point) : CProbeElement(point), m_point(point) {}

    bool IntersectPickRay(const CBoundedLine3d& ray, double /*pixelScale*/, CPoint3d& hitPoint,
                          double& hitParameter, CInstancePath* /*hitPath*/, bool /*skipHidden*/) const override
    {
        const CVector3d along = m_point - ray.line.origin;
        const double t = along.x * ray.line.direction.x + along.y * ray.line.direction.y + along.z * ray.line.direction.z;
        const CPoint3d nearest = ray.line.origin + CVector3d(ray.line.direction.x, ray.line.direction.y,
                                                             ray.line.direction.z) * t;
        if ((nearest - m_point).GetLength() > 0.01) {
            return false;
        }
        hitPoint = m_point;
        hitParameter = t;
        return true;
    }

private:
    CPoint3d m_point;
};

}  // namespace

TEST_F(ComponentInstanceTest, PickingInsideTwoNestedInstancesGivesThePathOutermostFirst)
{
    auto* root = new CComponent;
    auto* outerDefinition = new CComponentDefinition;
    auto* innerDefinition = new CComponentDefinition;
    root->GetDefinitionList()->Add(outerDefinition);
    root->GetDefinitionList()->Add(innerDefinition);
    auto* target = new CPickablePoint(CPoint3d(1, 0, 0));
    innerDefinition->Add(target);
    auto* inner = componenttest::PlaceInstance(innerDefinition, outerDefinition, CVector3d(0, 2, 0));
    auto* outer = new CComponentInstance;
    outerDefinition->AddInstance(outer);
    outer->SetTransform(Placement());  // (4, 5, 6)
    root->Add(outer);

    // Straight down onto (5, 7, 6).
    const CBoundedLine3d ray(CLine3d(CPoint3d(5, 7, 100), CUnitVector3d(0, 0, -1)), false, true);
    CPoint3d hit;
    double parameter = 0.0;
    CInstancePath path;
    ASSERT_TRUE(root->IntersectPickRay(ray, 1.0, hit, parameter, &path, true));
    EXPECT_TRUE(hit == CPoint3d(5, 7, 6));
    EXPECT_NEAR(parameter, 94.0, 1e-9);
    ASSERT_EQ(path.GetCount(), 3);
    EXPECT_EQ(path.GetAt(0), outer);
    EXPECT_EQ(path.GetAt(1), inner);
    EXPECT_EQ(path.GetAt(2), target);

    const CBoundedLine3d miss(CLine3d(CPoint3d(0, 0, 100), CUnitVector3d(0, 0, -1)), false, true);
    CInstancePath none;
    EXPECT_FALSE(root->IntersectPickRay(miss, 1.0, hit, parameter, &none, true));
    EXPECT_TRUE(none.IsEmpty());
    // The ray test takes a line and bounds it at its start.
    CInstancePath again;
    EXPECT_TRUE(root->RayTest(CLine3d(CPoint3d(5, 7, 100), CUnitVector3d(0, 0, -1)), 1.0, hit, parameter, &again, true));
    EXPECT_EQ(again.GetCount(), 3);
    EXPECT_FALSE(root->RayTest(CLine3d(CPoint3d(5, 7, -100), CUnitVector3d(0, 0, -1)), 1.0, hit, parameter, &again,
                               true));
    Dispose(root);
}

namespace {

// Answers 1 with its point for every line.
class CNearPoint : public documenttest::CProbeElement
{
public:
    explicit CNearPoint(const CPoint3d& point) : m_point(point) {}
    int IntersectLine(const CLine3d& /*line*/, CPoint3d& point) const override
    {
        point = m_point;
        return 1;
    }

private:
    CPoint3d m_point;
};

}  // namespace

TEST_F(ComponentInstanceTest, TheLineTestKeepsThePointNearestToTheLineThroughThePlacement)
{
    auto* root = new CComponent;
    auto* definition = new CComponentDefinition;
    root->GetDefinitionList()->Add(definition);
    definition->Add(new CNearPoint(CPoint3d(3, 0, 0)));
    definition->Add(new CNearPoint(CPoint3d(1, 0, 0)));
    definition->Add(new documenttest::CProbeElement(CPoint3d(0, 0, 0)));  // answers 0
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    instance->SetTransform(Placement());
    root->Add(instance);

    const CLine3d line(CPoint3d(4, 5, 0), CUnitVector3d(0, 0, 1));
    CPoint3d point;
    EXPECT_EQ(root->IntersectLine(line, point), 1);
    EXPECT_TRUE(point == CPoint3d(5, 5, 6));
    Dispose(root);
}

TEST_F(ComponentInstanceTest, AnInstanceGluedOffItsFacesPlaneIsReportedAndRepairedOntoIt)
{
    auto* holder = new CComponent;
    auto* face = new CFace;  // the plane z = 0
    holder->Add(face);
    auto* instance = new CComponentInstance;
    holder->Add(instance);
    const CTransformation tilted(CVector3d(1, 0, 0), CVector3d(0, 0.6, 0.8), CVector3d(0, -0.8, 0.6), CPoint3d(1, 2, 5));
    instance->SetTransform(tilted * CTransformation::Scaling(2, 2, 2));
    holder->GetRelationshipMap()->AddRelationship(new CRelationship(face, instance));

    const CValidityCheckScope checking;
    EXPECT_EQ(instance->CheckValidity(kValidityModeCheck, nullptr), kValidityRepairable);
    EXPECT_EQ(instance->CheckValidity(kValidityModeRepair, nullptr), kValiditySound);
    const CTransformation& repaired = instance->GetTransform();
    EXPECT_TRUE(repaired.GetOrigin() == CPoint3d(1, 2, 0));
    EXPECT_TRUE(repaired.GetZAxis().IsParallelTo(CUnitVector3d(0, 0, 1)));
    EXPECT_TRUE(Near(repaired.GetXScale(), 2.0));
    EXPECT_EQ(instance->CheckValidity(kValidityModeCheck, nullptr), kValiditySound);
    Dispose(holder);
}

namespace {

// Answers every box as told and keeps the last one asked.
class CBoxRecorder : public orvell::geometry::IGeomFilter
{
public:
    explicit CBoxRecorder(bool answer) : m_answer(answer) {}
    [[nodiscard]] bool TestBox(const CBoundingBox3d& box) const override
    {
        asked = box;
        return m_answer;
    }
    [[nodiscard]] bool TestSegment(const CPoint3d& /*p*/, const CPoint3d& /*q*/) const override { return m_answer; }
    [[nodiscard]] bool TestPoint(const CPoint3d& /*p*/) const override { return m_answer; }
    [[nodiscard]] IGeomFilter* Clone() const override { return new CBoxRecorder(*this); }
    void Transform(const CTransformation& /*transform*/) override {}
    mutable CBoundingBox3d asked;

private:
    bool m_answer;
};

}  // namespace

// A section plane is drawn larger than the bounds it sizes itself from, so the box an
// instance is culled by grows by a tenth of its diagonal when its definition holds one.
TEST_F(ComponentInstanceTest, TheCullingBoxGrowsByATenthOfItsDiagonalForADefinitionWithASectionPlane)
{
    RegisterModelClasses();
    for (const bool withPlane : {false, true}) {
        auto* holder = new CComponent;
        auto* definition = new CComponentDefinition;
        holder->GetDefinitionList()->Add(definition);
        definition->Add(new documenttest::CProbeElement(CPoint3d(0, 0, 0)));
        definition->Add(new documenttest::CProbeElement(CPoint3d(3, 4, 0)));
        if (withPlane) {
            definition->Add(new CSectionPlane(CPlane3d(0, 0, 1, 0)));
        }
        auto* instance = new CComponentInstance;
        definition->AddInstance(instance);
        instance->SetTransform(Placement());
        holder->Add(instance);

        CBoundingBox3d bounds;
        definition->GetBounds(bounds, false);
        ASSERT_EQ(definition->GetBoundsFlag(), withPlane);
        const double margin = withPlane ? bounds.GetDiagonal() * 0.1 : 0.0;
        for (const bool answer : {false, true}) {
            const CBoxRecorder filter(answer);
            EXPECT_EQ(instance->IsPickable(&filter), answer);
            EXPECT_NEAR(filter.asked.xmax, bounds.xmax + margin + 4.0, 1e-9) << withPlane;
            EXPECT_NEAR(filter.asked.zmin, bounds.zmin - margin + 6.0, 1e-9) << withPlane;
        }
        EXPECT_TRUE(instance->IsPickable(nullptr));
        Dispose(holder);
    }
}
