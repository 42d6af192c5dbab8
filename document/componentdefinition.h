#pragma once
// CComponentDefinition: a component whose entities show wherever an instance of it is
// placed. It adds an identity, names, a time stamp, an insertion point, a placement
// behaviour, a type, a stored thumbnail and the list of its instances, and keeps the
// instances in step with its own changes. The definition list of a component owns it.

#include <cstdint>
#include <memory>
#include <vector>

#include "document/component.h"
#include "document/instancelist.h"
#include "foundation/point3d.h"
#include "platform/cstring.h"
#include "platform/guid.h"

class CComponentInstance;
class CEntitySet;
class CPerimeterFinder;

class CComponentDefinition : public CComponent
{
    DECLARE_SERIAL(CComponentDefinition)

public:
    // A null identity, empty names, the default layer whatever the current layer is,
    // and a behaviour and an empty thumbnail of its own.
    CComponentDefinition();
    // Undo snapshot: the identity, texts, time, flag, instances, insertion point, type
    // and the thumbnail pointer (shared); no behaviour.
    CComponentDefinition(const CComponentDefinition& other);
    // Deletes the behaviour and a thumbnail made here when the definition was never
    // erased (a record that failed part-way); what Erase handed on stays.
    ~CComponentDefinition() override;

    // Reads or writes the definition record after the component record. A definition
    // read without a thumbnail gets an empty one. Throws the archive exception on bad
    // input; badClass when the behaviour's or thumbnail's class is missing.
    void Serialize(CArchive& ar) override;
    // Erases the behaviour and the thumbnail, then the component.
    void Erase() override;
    // Moves the entities and the insertion point and compensates every instance, so
    // that nothing placed moves.
    void Transform(const CTransformation& transform) override;
    [[nodiscard]] CEntity* Clone() const override;
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Its contents between the visitor's begin and end of a component, under its own
    // colour when it has one. A visitor that declines the component lets the walk go on.
    bool Accept(IEntityVisitor* visitor) override;
    // The instances' own reaction to a moved placement.
    virtual void OnTransformChanged();
    // Also the bounds of every component that holds an instance, once; the perimeter
    // is dropped whatever state the bounds were in.
    void InvalidateBounds() override;
    // A new entity may widen the definition, and so every component that places it.
    void Add(CEntity* entity) override;
    // The point grows the bounds here and, carried by each instance's transformation,
    // in every component that places the definition.
    void AddPointToBounds(const CPoint3d& point) override;

    // The outlines that the definition cuts into the face its instances are glued to,
    // found in its own base plane on first use and kept until its geometry changes.
    [[nodiscard]] CPerimeterFinder* GetPerimeterFinder() const;
    // Forgets the perimeter; when there was one, the faces glued to the instances are
    // told that their openings changed.
    void DropPerimeterFinder();

    // Appends without a duplicate test and sets the instance's definition.
    void AddInstance(CComponentInstance* instance);
    // Takes out the first occurrence and clears the instance's definition.
    void RemoveInstance(CComponentInstance* instance);
    [[nodiscard]] bool HasInstance(const CComponentInstance* instance) const;
    // Null for an index outside the list.
    [[nodiscard]] CComponentInstance* GetInstance(int index) const;
    [[nodiscard]] int GetInstanceCount() const { return static_cast<int>(m_instances.size()); }
    [[nodiscard]] std::span<CComponentInstance* const> GetInstances() const { return m_instances.GetSpan(); }

    [[nodiscard]] CString GetName() const { return m_name; }
    // Posts "Component Properties" when the name changes (case-sensitive).
    void SetName(const CString& name);
    [[nodiscard]] const CString& GetSecondText() const { return m_secondText; }
    [[nodiscard]] const CString& GetThirdText() const { return m_thirdText; }
    [[nodiscard]] const GUID& GetGuid() const { return m_guid; }
    void NewGuid();
    [[nodiscard]] std::int64_t GetTime() const { return m_time; }
    [[nodiscard]] bool GetFlag() const { return m_flag; }
    void SetFlag(bool flag);
    [[nodiscard]] const CPoint3d& GetInsertionPoint() const { return m_insertionPoint; }
    // Stored when it differs by more than 0.001 in some coordinate; with
    // applyBehaviour and a glued behaviour the point drops to z = 0.
    void SetInsertionPoint(const CPoint3d& point, bool applyBehaviour);
    void ResetInsertionPoint();
    [[nodiscard]] std::int32_t GetDefinitionType() const { return m_type; }
    // Posts "Component Type Change" when the type changes.
    void SetDefinitionType(std::int32_t type);
    // The behaviour (a CComponentBehavior) and the thumbnail (a CThumbnail); null
    // while those classes are not linked in.
    [[nodiscard]] CEntity* GetBehavior() const { return m_behavior; }
    [[nodiscard]] CEntity* GetThumbnail() const { return m_thumbnail; }
    // A file read gave this definition no thumbnail: its picture is rendered when it is
    // first asked for or the model is saved (definitionthumbnails.h), never while the
    // model is read, since the geometry it places may come later. A definition still
    // waiting is written without a thumbnail.
    [[nodiscard]] bool IsThumbnailWaiting() const { return m_thumbnailWaiting; }
    void SetThumbnailWaiting(bool waiting) { m_thumbnailWaiting = waiting; }

    // True when the component may be placed inside this definition without a cycle.
    [[nodiscard]] bool CanContain(const CComponent* component) const;
    // True when this definition may be placed inside the component.
    [[nodiscard]] bool CanPlaceIn(const CComponent* component) const;
    // Adds the component of every instance; recursively through holders that are
    // definitions themselves.
    void CollectHolders(CEntitySet& holders, bool recursive) const;
    [[nodiscard]] bool IsPlacedIn(const CComponent* component, bool recursive) const;

protected:
    // The entity also grows the second bounds, taken in the definition's own axes.
    void AddEntityBounds(const CDrawingElement* entity) const override;
    [[nodiscard]] bool FillsSecondBounds() const override { return true; }

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    void ReadThirdText(CArchive& ar, int version);
    void ReadOldInstances(CArchive& ar);
    // Whether the file held a thumbnail.
    bool ReadThumbnail(CArchive& ar);
    void SerializeBehavior(CArchive& ar);
    // A behaviour of another class (or none) is replaced by a new one in repair mode.
    int CheckBehaviorClass(int mode);
    void EnsureThumbnail();
    void InvalidateHolderBounds() const;

    GUID m_guid{};
    CString m_name;
    CString m_secondText;
    CString m_thirdText;
    std::int64_t m_time = 0;
    bool m_flag = false;
    CPoint3d m_insertionPoint;
    CInstanceList m_instances;
    CEntity* m_behavior = nullptr;
    std::int32_t m_type = 0;
    CEntity* m_thumbnail = nullptr;
    bool m_thumbnailMadeHere = false;
    bool m_thumbnailWaiting = false;
    bool m_erased = false;
    // A cache: made by const queries, never copied, recorded or written.
    mutable std::unique_ptr<CPerimeterFinder> m_perimeter;
};

// Reads an object reference that must be a component definition (null allowed);
// another class is the archive exception badClass.
[[nodiscard]] CComponentDefinition* ReadComponentDefinitionObject(CArchive& ar);
