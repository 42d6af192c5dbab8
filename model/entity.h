#pragma once
// CEntity: the base of every object of the model database. It gives each object an
// attribute container, a run-time id, a parent, and one table of virtual operations
// through which undo, the file reader and writer, the consistency checks and the
// back-reference map treat all entities alike.

#include <cstdint>
#include <map>
#include <vector>

#include "platform/cstring.h"
#include "model/drawinggeneration.h"
#include "model/undosuspender.h"
#include "platform/object.h"

class CArchive;
class CAttribute;
class CAttributeContainer;
class CComponent;
class CEntitySet;
class CRelationship;
class CTarnwickModel;
class CTransformation;
class CUndoOperation;

// The answer of GetTypeId, one per class; ids 11, 34 and 45 belong to no class and
// both axes classes answer kTypeCoordinateSystem.
enum EntityTypeId : int
{
    kTypeEntity = 0,
    kTypeArcCurve = 1,
    kTypeComponent = 2,
    kTypeComponentBehavior = 3,
    kTypeComponentDefinition = 4,
    kTypeComponentInstance = 5,
    kTypeConstructionGeometry = 6,
    kTypeConstructionLine = 7,
    kTypeConstructionPoint = 8,
    kTypeCurve = 9,
    kTypeDefinitionList = 10,
    kTypeDimension = 12,
    kTypeDimensionLinear = 13,
    kTypeDimensionRadial = 14,
    kTypeDrawingElement = 15,
    kTypeEdge = 16,
    kTypeEdgeUse = 17,
    kTypeFace = 18,
    kTypeTwFont = 19,
    kTypeGroup = 20,
    kTypeImage = 21,
    kTypeLayer = 22,
    kTypeLayerManager = 23,
    kTypeLoop = 24,
    kTypeMaterial = 25,
    kTypeMaterialManager = 26,
    kTypePolyline3d = 27,
    kTypeRelationship = 28,
    kTypeRelationshipMap = 29,
    kTypeRenderingOptions = 30,
    kTypeSectionPlane = 31,
    kTypeShadowInfo = 32,
    kTypeCoordinateSystem = 33,
    kTypeTarnwickPage = 35,
    kTypeText = 36,
    kTypeTexture = 37,
    kTypeThumbnail = 38,
    kTypeVertex = 39,
    kTypeViewPage = 40,
    kTypeWatermark = 41,
    kTypeFontManager = 42,
    kTypeDimensionStyle = 43,
    kTypeTextStyle = 44,
    kTypeAttribute = 46,
    kTypeAttributeNamed = 47,
    kTypeAttributeContainer = 48,
    kTypePageList = 49,
    kTypeFaceTextureCoords = 50
};

// Codes of Notify.
enum EntityNotifyCode : int
{
    kNotifyModified = 1,
    kNotifyErased = 2
};

// Codes that referrers receive through OnReferenceChanged. The entity base sends
// erased and face reversed; the topology sends merged and curve changed.
enum ReferenceChangeCode : int
{
    kReferenceErased = 2,
    kReferenceMerged = 3,
    kReferenceCurveChanged = 5,
    kReferenceFaceReversed = 7
};

// Severities of CheckValidity.
enum ValiditySeverity : int
{
    kValiditySound = 0,
    kValidityRepairable = 1,
    kValidityStale = 2,
    kValidityBroken = 3
};

// Modes of CheckValidity.
enum ValidityMode : int
{
    kValidityModeCheck = 0,
    kValidityModeRepair = 1,
    kValidityModeIgnoreStaleIds = 2
};

class CEntity;

// One model-level check run shares this map: the severity found for each entity, and
// the marker of what was already visited. The null key holds the result for null.
using CValidityResultMap = std::map<const CEntity*, int>;

class CEntity : public CObject
{
    DECLARE_SERIAL(CEntity)

public:
    // Registers the new entity with the open undo operation while recording is on,
    // then takes the next id while numbering is on.
    CEntity();
    // Shares the source's attribute container; id 0, no parent, not registered:
    // copies are undo snapshots and clones.
    CEntity(const CEntity& other);
    CEntity& operator=(const CEntity&) = delete;
    // Releases nothing: the attribute container goes with Erase, and copies share it.
    ~CEntity() override;

    // Reads or writes the entity part that begins every entity record. Throws the
    // archive exception on bad input; a container of another class is badClass.
    void Serialize(CArchive& ar) override;

    // Erases the attributes, tells the referrers, and hands the entity to the open
    // undo operation, which then owns it; with recording off the entity deletes
    // itself. The caller must not use the entity afterwards.
    virtual void Erase();
    // Deletes the entity with its attributes, telling no one and recording nothing: only
    // while a whole model goes (model/wholemodelrelease.h), since whatever could be told
    // goes too, or for an entity no other can refer to (a page's own settings). Classes
    // that hold entities going with them discard those first.
    virtual void Discard();
    // The current undo manager's open operation; null when there is none.
    [[nodiscard]] virtual CUndoOperation* GetUndoOperation() const;
    // Adds this entity and everything that must go with it; false when the set
    // already held it.
    virtual bool CollectDependents(CEntitySet& set);
    virtual void Transform(const CTransformation& transform);
    // A new copy made by the copy constructor; null for classes that cannot be copied.
    [[nodiscard]] virtual CEntity* Clone() const;
    // Exchanges the data with another entity of the same class (undo snapshots).
    virtual void SwapData(CEntity& other);
    [[nodiscard]] virtual CString GetClassName() const;
    // The class name without its leading "C".
    [[nodiscard]] virtual CString GetTypeName() const;
    // The model that holds the entity through its parents; null when it is free.
    [[nodiscard]] virtual CTarnwickModel* GetModel() const;
    [[nodiscard]] virtual CEntity* GetParent() const;
    // The nearest enclosing component; null when there is none.
    [[nodiscard]] virtual CComponent* GetParentComponent() const;
    // Called on each referrer when an entity it refers to changes.
    virtual void OnReferenceChanged(int code, CEntity* changed, CEntity* argument);
    virtual void Notify(int code);
    virtual void OnModified();
    virtual void OnErased();
    // The consistency check: a severity 0..3; messages go to the validity log.
    // Never throws.
    virtual int CheckValidity(int mode, CValidityResultMap* results);
    [[nodiscard]] virtual int GetTypeId() const;

    [[nodiscard]] std::int32_t GetId() const { return m_id; }
    void AssignNewId();
    // Marks the entity as handed to an undo operation; returns the new id.
    std::int32_t NegateId();
    // Hands the entity to the open undo operation before it changes.
    void RecordChange(bool saveState)
    {
        CDrawingGeneration::Advance();
        if (IsRecordingChanges()) {
            RecordChangeWhileRecording(saveState);
        }
    }
    // Sets a field, handing the entity to the open operation first when the value changes.
    template <typename T>
    void SetRecorded(T& field, const T& value)
    {
        if (field == value) {
            return;
        }
        RecordChange(true);
        field = value;
    }

    // Sets the own parent; an edge's curve takes the same parent.
    void SetParent(CEntity* parent);

    [[nodiscard]] CAttributeContainer* GetAttributeContainer() const;
    // The first attribute of the given type id; null when there is none.
    [[nodiscard]] CAttribute* FindAttributeDictionary(int typeId) const;
    // Adds the attribute, making the container when needed; returns the attribute's
    // new reference count.
    int GetOrCreateAttributeContainer(CAttribute* attribute);
    void CopyAttributesFrom(const CEntity* source, bool share);

    // Relationships whose first (second) end is this entity, from the parent
    // component and every component above it; returns how many were appended.
    int CountRelationships(std::vector<CRelationship*>& out) const;
    int CountRelationshipsAsSecond(std::vector<CRelationship*>& out) const;
    void DeleteRelationships();
    void ReplaceInRelationships(CEntity* other);

    // These do nothing without a current model.
    void AddBackReference(CEntity* referrer);
    void RemoveBackReference(CEntity* referrer);
    void NotifyReferrers(int code, CEntity* argument);

    // Stores the severity for this entity when there is a map; returns the severity.
    int SetCheckResult(int severity, CValidityResultMap* results) const;

    // Sets the pointer only: no recording, no parent change.
    void SetAttributeContainer(CAttributeContainer* container);
    // Erases the own container, if any, and holds none (recording as Erase does).
    void EraseAttributes();
    // Every container an entity holds, sorted by address.
    [[nodiscard]] static std::vector<const CAttributeContainer*> GetHeldAttributeContainers();

protected:
    // Where the own parent is kept: here in a table beside the entities, like the
    // attribute containers. The vertices, loops and edge uses that a model holds by the
    // million have none of their own (theirs is their edges' or their face's); drawing
    // elements, which nearly all have one, keep it in a field.
    [[nodiscard]] virtual CEntity* GetStoredParent() const;
    virtual void StoreParent(CEntity* parent);

private:
    void RecordChangeWhileRecording(bool saveState);
    int CountRelationshipEnds(std::vector<CRelationship*>& out, bool asFirst) const;
    int CheckEntityParts(int mode, CValidityResultMap* results);

    // The attribute container and the parent are not fields: few entities have a
    // container, and a model holds millions of vertices, loops and edge uses, which have
    // no parent of their own. Both live in tables beside the entities (model/entity.cpp).
    // The id comes last so that a derived class's first four-byte field fills the space
    // behind it.
    std::int32_t m_id = 0;
};

// The next id starts again at 1; the model calls it when it is cleared.
void ResetEntityIdCounter();
[[nodiscard]] std::int32_t GetEntityIdCounter();
// Constructors take ids only while numbering is on; it is on from start-up.
void SetEntityNumbering(bool on);
[[nodiscard]] bool IsEntityNumberingOn();

// "ClassName (id)" for messages; "(NULL}" for null, "(Garbage)" when the class
// name cannot be read.
[[nodiscard]] CString GetEntityLabel(const CEntity* entity);

// Pseudo-random numbers as the edge code expects them: the generator's value is
// taken in 0..32767 whatever the platform's RAND_MAX, and divided by 32767.
[[nodiscard]] double RandomDouble(double lo, double hi);
[[nodiscard]] int RandomInt(int lo, int hi);
// The 0..32767 value both helpers draw.
[[nodiscard]] int RandomRaw();
