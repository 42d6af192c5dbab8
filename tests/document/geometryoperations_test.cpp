// Random sequences of geometry operations on generated models. After every step the
// model must pass its consistency checks, and the step's recorded operation must take
// the model back to the bytes it had before and forward again to the bytes it had
// after. The sequences are seeded, so a failure names the seed and step that found it.

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <cmath>
#include <random>
#include <string>

#include "document/definitionunique.h"
#include "document/entitycopier.h"
#include "document/entitymerger.h"
#include "document/instanceexplode.h"
#include "foundation/slaballocator.h"
#include "model/edgeuse.h"
#include "model/loop.h"
#include "model/mergecontroller.h"
#include "model/relationship.h"
#include "model/relationshipmap.h"
#include "model/undorecord.h"
#include "model/validitylog.h"
#include "samplegen/gridmodel.h"
#include "samplegen/housemodel.h"
#include "tests/document/operationtestsupport.h"

using operationtest::Bytes;
using operationtest::ModelFixture;

namespace {

template <typename T>
std::vector<T*> EntitiesOf(const CComponent& component)
{
    std::vector<T*> found;
    for (CDrawingElement* element : component.GetEntityList()) {
        if (auto* entity = dynamic_cast<T*>(element)) {
            found.push_back(entity);
        }
    }
    return found;
}

std::vector<CVertex*> OuterVertices(const CFace* face)
{
    std::vector<CVertex*> vertices;
    CEdgeUse* first = face->GetOuterLoop() != nullptr ? face->GetOuterLoop()->GetFirstEdgeUse() : nullptr;
    for (CEdgeUse* use = first; use != nullptr;) {
        vertices.push_back(use->GetStartVertex());
        use = use->GetNext();
        if (use == first || vertices.size() > 10000) {
            break;
        }
    }
    return vertices;
}

// The root's entities and relationships in address order (containers put back what an
// undo restores at their end, and the order is not what is compared), then every
// definition with its entities.
Bytes CanonicalBytes(CComponent& root)
{
    std::vector<CEntity*> entities(root.GetEntityList().begin(), root.GetEntityList().end());
    std::sort(entities.begin(), entities.end());
    std::vector<CEntity*> relationships;
    for (int i = 0; i < root.GetRelationshipMap()->GetCount(); ++i) {
        relationships.push_back(root.GetRelationshipMap()->GetRelationship(i));
    }
    std::sort(relationships.begin(), relationships.end());
    entities.insert(entities.end(), relationships.begin(), relationships.end());
    const std::vector<CComponentDefinition*>& definitions = root.GetDefinitionList()->GetDefinitions();
    entities.insert(entities.end(), definitions.begin(), definitions.end());
    return entitytest::Store([&entities](CArchive& ar) {
        for (CEntity* entity : entities) {
            ar.WriteObject(entity);
        }
    });
}

// Takes the operation back in place, or forward again: changed entities exchange their
// state with the saved copy, and what went into or out of containers goes out or in.
// An entity that went in and out within the operation is left where it is.
class CInPlaceReplay
{
public:
    explicit CInPlaceReplay(const CUndoOperation& operation) : m_operation(operation) {}

    void Undo() const
    {
        const CUndoSuspender suspender;
        SwapChanged();
        const auto& added = m_operation.GetAddedPairs();
        for (auto it = added.rbegin(); it != added.rend(); ++it) {
            if (!WentBothWays(it->first)) {
                it->second->Remove(it->first);
            }
        }
        const auto& removed = m_operation.GetRemovedPairs();
        for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
            if (!WentBothWays(it->first)) {
                it->second->Add(it->first);
            }
        }
    }

    void Redo() const
    {
        const CUndoSuspender suspender;
        for (const auto& [entity, container] : m_operation.GetRemovedPairs()) {
            if (!WentBothWays(entity)) {
                container->Remove(entity);
            }
        }
        for (const auto& [entity, container] : m_operation.GetAddedPairs()) {
            if (!WentBothWays(entity)) {
                container->Add(entity);
            }
        }
        SwapChanged();
    }

private:
    void SwapChanged() const
    {
        const auto& created = m_operation.GetCreatedEntities();
        for (CEntity* entity : m_operation.GetChangedEntities()) {
            CUndoRecord* record = m_operation.FindRecord(entity);
            CEntity* saved = record != nullptr ? record->GetSavedCopy() : nullptr;
            if (saved != nullptr && std::find(created.begin(), created.end(), entity) == created.end()) {
                entity->SwapData(*saved);
            }
        }
    }
    [[nodiscard]] bool WentBothWays(const CEntity* entity) const
    {
        const auto has = [entity](const std::vector<CUndoOperation::EntityPair>& pairs) {
            return std::any_of(pairs.begin(), pairs.end(), [entity](const auto& pair) { return pair.first == entity; });
        };
        return has(m_operation.GetAddedPairs()) && has(m_operation.GetRemovedPairs());
    }

    const CUndoOperation& m_operation;
};

// One step of a sequence: false when the model offered nothing to do it on.
using Step = std::function<bool(std::mt19937&)>;

class GeometryOperationsTest : public ::testing::Test
{
protected:
    CComponent& Root() const { return m_fixture.Root(); }

    template <typename T>
    T* Pick(std::mt19937& random, const std::vector<T*>& candidates) const
    {
        if (candidates.empty()) {
            return nullptr;
        }
        return candidates[std::uniform_int_distribution<std::size_t>(0, candidates.size() - 1)(random)];
    }

    // Splits an edge somewhere in its middle half.
    bool SplitEdge(std::mt19937& random) const
    {
        CEdge* edge = Pick(random, EntitiesOf<CEdge>(Root()));
        if (edge == nullptr || edge->GetCurve() != nullptr) {
            return false;
        }
        const CPoint3d a = edge->GetStartVertex()->GetPosition();
        const CVector3d along = edge->GetEndVertex()->GetPosition() - a;
        if (along.GetLength() < 0.01) {
            return false;
        }
        const double t = std::uniform_real_distribution<double>(0.25, 0.75)(random);
        CEdge* piece = edge->SplitAtVertex(new CVertex(a + along * t));
        if (piece != nullptr) {
            Root().AddEntity(piece);
        }
        return piece != nullptr;
    }

    // Erases an edge between two faces that may become one.
    bool MergeFaces(std::mt19937& random) const
    {
        std::vector<CEdge*> between;
        for (CEdge* edge : EntitiesOf<CEdge>(Root())) {
            CFace* first = nullptr;
            CFace* second = nullptr;
            if (edge->FindMergeableFaces(first, second, true) && first != second) {
                between.push_back(edge);
            }
        }
        CEdge* edge = Pick(random, between);
        if (edge != nullptr) {
            edge->EraseFromComponent(&Root());
        }
        return edge != nullptr;
    }

    // A small square hole around the middle of a face's outline, where that lies
    // inside the face.
    bool AddHole(std::mt19937& random) const
    {
        CFace* face = Pick(random, EntitiesOf<CFace>(Root()));
        if (face == nullptr) {
            return false;
        }
        const std::vector<CVertex*> outline = OuterVertices(face);
        CVector3d sum(0, 0, 0);
        for (const CVertex* vertex : outline) {
            sum = sum + (vertex->GetPosition() - CPoint3d(0, 0, 0));
        }
        const CPoint3d centre = CPoint3d(0, 0, 0) + sum * (1.0 / static_cast<double>(outline.size()));
        const CVector3d normal(face->GetNormal());
        const CVector3d u = (std::fabs(normal.z) < 0.9 ? CVector3d(0, 0, 1) : CVector3d(1, 0, 0)).CrossProduct(normal);
        const CVector3d side = u * (0.02 / u.GetLength());
        const CVector3d up = normal.CrossProduct(side);
        // Clockwise seen from the front.
        const CPoint3d corners[4] = {centre + (-side - up), centre + (up - side), centre + (side + up), centre + (side - up)};
        for (const CPoint3d& corner : corners) {
            if (face->ClassifyPoint(corner) != kFacePointInside) {
                return false;
            }
        }
        CVertex* ring[4];
        for (int i = 0; i < 4; ++i) {
            ring[i] = new CVertex(corners[i]);
        }
        auto* loop = new CLoop;
        CEdgeUse* previous = nullptr;
        for (int i = 0; i < 4; ++i) {
            auto* edge = new CEdge(ring[i], ring[(i + 1) % 4], false);
            Root().AddEntity(edge);
            previous = new CEdgeUse(edge, false, previous, loop);
        }
        face->AddInnerLoop(loop);
        return true;
    }

    // Draws a line between two corners of a face that are not neighbours and lets the
    // merge controller weld it in (the face is split when the line runs inside it).
    bool DrawLine(std::mt19937& random) const
    {
        std::vector<CFace*> faces;
        for (CFace* face : EntitiesOf<CFace>(Root())) {
            if (face->GetLoopCount() == 1 && OuterVertices(face).size() >= 4) {
                faces.push_back(face);
            }
        }
        CFace* face = Pick(random, faces);
        if (face == nullptr) {
            return false;
        }
        const std::vector<CVertex*> outline = OuterVertices(face);
        const std::size_t from = std::uniform_int_distribution<std::size_t>(0, outline.size() - 1)(random);
        const std::size_t to = (from + 2) % outline.size();
        auto* line = new CEdge(new CVertex(outline[from]->GetPosition()), new CVertex(outline[to]->GetPosition()), false);
        Root().AddEntity(line);
        CEntitySet added;
        added.Add(line);
        CMergeController controller(&Root(), &added);
        controller.Merge(false, true);
        return true;
    }

    // Copies a face with its edges, or an instance: above the model, or one unit
    // aside, where the merge controller welds it to what it lands on.
    bool Copy(std::mt19937& random)
    {
        std::vector<CDrawingElement*> candidates;
        for (CDrawingElement* element : Root().GetEntityList()) {
            if (dynamic_cast<CFace*>(element) != nullptr || dynamic_cast<CComponentInstance*>(element) != nullptr) {
                candidates.push_back(element);
            }
        }
        CDrawingElement* source = Pick(random, candidates);
        if (source == nullptr) {
            return false;
        }
        std::vector<CEntity*> entities{source};
        if (auto* face = dynamic_cast<CFace*>(source)) {
            for (const CVertex* vertex : OuterVertices(face)) {
                for (int i = 0; i < vertex->GetEdgeCount(); ++i) {
                    CEdge* edge = vertex->GetEdges().GetAt(i);
                    if (edge->GetLoopOnFace(face) != nullptr &&
                        std::find(entities.begin(), entities.end(), edge) == entities.end()) {
                        entities.push_back(edge);
                    }
                }
            }
        }
        CCopier copier(&m_fixture.Model());
        if (copier.Clone(entities) == 0) {
            return false;
        }
        const bool aside = std::bernoulli_distribution(0.5)(random);
        CTransformation move;
        move.SetTranslation(aside ? CVector3d(std::bernoulli_distribution(0.5)(random) ? 1 : -1, 0, 0)
                                  : CVector3d(0, 0, 20.0 * ++m_copies));
        CEntityMerger(entities).Merge(move);
        Root().AddEntities(entities);
        if (aside) {
            CEntitySet copies;
            for (CEntity* entity : entities) {
                copies.Add(entity);
            }
            CMergeController controller(&Root(), &copies);
            controller.Merge(false, true);
        }
        return true;
    }

    bool Explode(std::mt19937& random) const
    {
        CComponentInstance* instance = Pick(random, EntitiesOf<CComponentInstance>(Root()));
        return instance != nullptr && !ExplodeInstance(instance, false).empty();
    }

    bool MakeUnique(std::mt19937& random) const
    {
        CComponentInstance* instance = Pick(random, EntitiesOf<CComponentInstance>(Root()));
        return instance != nullptr && MakeDefinitionUnique(&m_fixture.Model(), instance);
    }

    // Runs the steps drawn at random and answers how many found something to do.
    int RunSequence(unsigned seed, int steps)
    {
        const std::vector<std::pair<const char*, Step>> operations{
            {"split edge", [this](std::mt19937& r) { return SplitEdge(r); }},
            {"merge faces", [this](std::mt19937& r) { return MergeFaces(r); }},
            {"add hole", [this](std::mt19937& r) { return AddHole(r); }},
            {"draw line", [this](std::mt19937& r) { return DrawLine(r); }},
            {"copy", [this](std::mt19937& r) { return Copy(r); }},
            {"explode", [this](std::mt19937& r) { return Explode(r); }},
            {"make unique", [this](std::mt19937& r) { return MakeUnique(r); }}};
        std::mt19937 random(seed);
        int done = 0;
        for (int step = 0; step < steps && !::testing::Test::HasFailure(); ++step) {
            const auto& [name, operation] =
                operations[std::uniform_int_distribution<std::size_t>(0, operations.size() - 1)(random)];
            SCOPED_TRACE("seed " + std::to_string(seed) + " step " + std::to_string(step) + ": " + name);
            const Bytes before = CanonicalBytes(Root());
            CUndoOperation& recorded = m_fixture.StartOperation();
            done += operation(random) ? 1 : 0;
            ExpectSound();
            const Bytes after = CanonicalBytes(Root());
            const CInPlaceReplay replay(recorded);
            replay.Undo();
            EXPECT_TRUE(CanonicalBytes(Root()) == before) << "undo";
            replay.Redo();
            EXPECT_TRUE(CanonicalBytes(Root()) == after) << "redo";
            m_fixture.Model().GetUndoManager()->Commit();
        }
        return done;
    }

    void ExpectSound() const
    {
        const CValidityCheckScope checking;
        ClearValidityLog();
        CValidityResultMap results;
        EXPECT_EQ(Root().CheckValidity(kValidityModeCheck, &results), kValiditySound)
            << GetValidityLog().ToUtf8();
        ClearValidityLog();
    }

    ModelFixture m_fixture;
    int m_copies = 0;
};

constexpr int kSteps = 60;

}  // namespace

TEST_F(GeometryOperationsTest, RandomOperationsOnAGridKeepItSoundAndUndoable)
{
    BuildGridModel(m_fixture.Model(), 24);
    CComponentDefinition* box = m_fixture.Definition("Box");
    for (int i = 0; i < 4; ++i) {
        CTransformation placement;
        placement.SetTranslation(CVector3d(2.0 * i, -3, 0));
        ModelFixture::Place(Root(), box, placement);
    }
    ExpectSound();
    for (const unsigned seed : {1u, 2u, 3u}) {
        EXPECT_GT(RunSequence(seed, kSteps), kSteps / 3);
        if (HasFailure()) {
            break;
        }
    }
}

TEST_F(GeometryOperationsTest, RandomOperationsOnTheHouseKeepItSoundAndUndoable)
{
    BuildHouseModel(m_fixture.Model());
    ExpectSound();
    for (const unsigned seed : {11u, 12u, 13u}) {
        EXPECT_GT(RunSequence(seed, kSteps), kSteps / 3);
        if (HasFailure()) {
            break;
        }
    }
}

// The topology lives in the classes' slab allocators: erased objects stay with the
// operation, the saved copies take slots of their own, and releasing the model gives
// every slot back.
TEST(TopologySlots, ErasingAGridAndTakingItBackAndForthKeepsItAndReleasingItFreesEverySlot)
{
    const auto live = [] {
        return std::vector<std::size_t>{CSlabAllocator::ForClass<CFace>().GetLiveCount(),
                                        CSlabAllocator::ForClass<CLoop>().GetLiveCount(),
                                        CSlabAllocator::ForClass<CEdgeUse>().GetLiveCount(),
                                        CSlabAllocator::ForClass<CEdge>().GetLiveCount(),
                                        CSlabAllocator::ForClass<CVertex>().GetLiveCount()};
    };
    const std::vector<std::size_t> before = live();
    {
        ModelFixture fixture;
        BuildGridModel(fixture.Model(), 5000);
        const Bytes grid = CanonicalBytes(fixture.Root());
        CUndoOperation& recorded = fixture.StartOperation();
        for (CFace* face : EntitiesOf<CFace>(fixture.Root())) {
            fixture.Root().EraseEntity(face);
        }
        for (CEdge* edge : EntitiesOf<CEdge>(fixture.Root())) {
            fixture.Root().EraseEntity(edge);
        }
        ASSERT_TRUE(fixture.Root().GetEntityList().empty());
        const Bytes empty = CanonicalBytes(fixture.Root());
        const CInPlaceReplay replay(recorded);
        for (int round = 0; round < 2; ++round) {
            replay.Undo();
            EXPECT_TRUE(CanonicalBytes(fixture.Root()) == grid) << "undo " << round;
            replay.Redo();
            EXPECT_TRUE(CanonicalBytes(fixture.Root()) == empty) << "redo " << round;
        }
        fixture.Model().GetUndoManager()->Commit();
    }
    EXPECT_EQ(live(), before);
}
