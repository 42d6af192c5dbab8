#pragma once
// CEntityMerger: moves a group of entities by one transformation as a consistent whole.
// Moving them one at a time would tear shared topology apart, leave curves with stale
// ends and leave instances glued to moved faces behind. The merger first collects
// everything that goes with the given entities, sorts out which instances move whole
// and which ride along with the instance they are glued to, then moves each once.

#include <cstdint>
#include <map>
#include <vector>

#include "model/entityset.h"

class CComponentInstance;
class CEntity;
class CTransformation;

class CEntityMerger
{
public:
    // What a text or dimension was met as; handed to it when it is moved.
    enum AnnotationCode : std::int32_t
    {
        kReachedAsDependent = 1,
        kListedOnly = 2,
        kListedAndDependent = 3
    };

    explicit CEntityMerger(const std::vector<CEntity*>& entities);
    virtual ~CEntityMerger();

    CEntityMerger(const CEntityMerger&) = delete;
    CEntityMerger& operator=(const CEntityMerger&) = delete;

    // Collects the dependents, the annotations and (with collectInstances) the
    // instances that move whole with their riders.
    void MergePass(bool collectInstances);
    // Collects when nothing is collected yet, then moves everything by the
    // transformation; texts that do not move with it take the second one.
    void Apply(const CTransformation& transform, const CTransformation& second);
    // Apply with the identity as the second transformation.
    void Merge(const CTransformation& transform);

    void SetCollectInstances(bool collect) { m_collectInstances = collect; }
    // When false, listed instances of definitions with a third text move whole too.
    void SetKeepNamedInstances(bool keep) { m_keepNamedInstances = keep; }
    // When false, curves of unmoved edges are not told that a vertex moved.
    void SetUpdateCurves(bool update) { m_updateCurves = update; }
    void SetAnnotationContext(std::uint32_t context) { m_annotationContext = context; }

    [[nodiscard]] const CEntitySet& GetDependents() const { return m_dependents; }
    [[nodiscard]] const CEntitySet& GetMovedInstances() const { return m_movedInstances; }
    // The riders that follow a moved instance; empty for any other.
    [[nodiscard]] std::vector<CComponentInstance*> GetRiders(const CComponentInstance* host) const;
    // The code a text or dimension was met with; 0 when it was not met.
    [[nodiscard]] std::int32_t GetAnnotationCode(const CEntity* entity) const;

protected:
    // Moves one text or dimension, telling it how it was met (its code): one met only
    // through what it hangs on finds that moved already. The context is the caller's
    // value, handed on untouched.
    virtual void MoveAnnotation(CEntity* annotation, const CTransformation& transform, std::uint32_t context,
                                std::int32_t code);

private:
    void CollectAnnotations(const CEntitySet& listed);
    void CollectMovedInstances(const CEntitySet& listedInstances);
    void CollectRiders();
    void MoveEntity(CEntity* entity, const CTransformation& transform);
    bool TellCurves(CEntity* vertex, const CTransformation& transform, CEntitySet& toldCurves);
    void MoveWhole(CComponentInstance* instance, const CTransformation& transform);

    CEntitySet m_input;
    CEntitySet m_dependents;
    CEntitySet m_movedInstances;
    bool m_collectInstances = false;
    bool m_keepNamedInstances = true;
    std::map<const CComponentInstance*, std::vector<CComponentInstance*>> m_riders;
    std::uint32_t m_annotationContext = 0;
    std::map<CEntity*, std::int32_t> m_annotations;
    bool m_updateCurves = true;
};
