#pragma once
// CTarnwickModel: the root of one model. It owns the root component with the
// top-level entities (and, through it, the layer and material managers the model
// uses), the selection, the undo manager, the back-reference map, the active path of
// instances being edited, and the model's identifier, version and description. It is
// reference counted. One global names the current model: code that has no model at
// hand (entity constructors, the undo hooks) uses it.

#include <cstdint>

#include "document/instancepath.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "model/selectionset.h"
#include "platform/cstring.h"
#include "platform/guid.h"
#include "platform/object.h"

class CBackReferenceMap;
class CComponent;
class CComponentInstance;
class CDefinitionList;
class CDrawingElement;
class CFontManager;
class CEntity;
class CLayerManager;
class CMaterialManager;
class CUndoManager;

class CTarnwickModel : public CObject
{
    DECLARE_DYNAMIC(CTarnwickModel)

public:
    static constexpr int kReservedWordCount = 16;
    static constexpr int kTypeId = 34;

    // Builds the root component with this model current (the previous current model is
    // restored), then an undo manager, which becomes current when none is. The root
    // component's material and layer managers listen to it; the root layer manager
    // broadcasts and the selection notifies. The reference count starts at 1.
    CTarnwickModel();
    // Tells the listeners, deletes the members with this model current, and clears the
    // current model when it is this one. Posts "DeleteModelNotification" first.
    ~CTarnwickModel() override;

    CTarnwickModel(const CTarnwickModel&) = delete;
    CTarnwickModel& operator=(const CTarnwickModel&) = delete;

    [[nodiscard]] virtual int GetTypeId() const { return kTypeId; }
    // Empties the model: undo history, active path, ids, entities, identifier,
    // description and the back-reference map.
    virtual void Clear();

    void AddRef() { ++m_refCount; }
    // The new count. At 0 the model is deleted (with change recording off) and must
    // not be touched again. Called on a count of 0 it prints a message and returns 0.
    int Release();
    [[nodiscard]] int GetRefCount() const { return m_refCount; }

    // Makes this model (and its undo manager) current.
    void MakeCurrent();

    [[nodiscard]] CComponent* GetRootComponent() const { return m_rootComponent; }
    // The root component's managers; null without a root component.
    [[nodiscard]] CMaterialManager* GetMaterialManager() const;
    [[nodiscard]] CLayerManager* GetLayerManager() const;
    [[nodiscard]] CDefinitionList* GetDefinitionList() const;
    // The fonts of texts and dimensions; the root component is its parent.
    [[nodiscard]] CFontManager* GetFontManager() const { return m_fontManager; }
    [[nodiscard]] CUndoManager* GetUndoManager() const { return m_undoManager; }
    [[nodiscard]] CSelectionSet& GetSelectionSet() { return m_selection; }
    // The back-reference map, made empty on first use.
    [[nodiscard]] CBackReferenceMap* GetEntitySet();
    // The back-reference map when it exists; null otherwise.
    [[nodiscard]] CBackReferenceMap* FindEntitySet() const { return m_backReferences; }

    // The active path: the instances being edited, outermost first.
    [[nodiscard]] const CInstancePath& GetActivePath() const { return m_activePath; }
    [[nodiscard]] bool IsActivePath(const CInstancePath& path) const;
    // The innermost instance of the active path; null when the path is empty.
    [[nodiscard]] CComponentInstance* GetActiveInstance() const;
    // The component that new entities go into: the active instance's definition, else
    // the root component.
    [[nodiscard]] CComponent* GetActiveComponent() const;
    [[nodiscard]] const CTransformation& GetActiveTransform() const;
    // Adds the entity to the active component (recorded for undo) and returns it.
    CDrawingElement* AddEntity(CDrawingElement* entity);

    [[nodiscard]] const GUID& GetModelId() const { return m_modelId; }
    void SetModelId(const GUID& id) { m_modelId = id; }
    [[nodiscard]] const CString& GetDescription() const { return m_description; }
    void SetDescription(const CString& description) { m_description = description; }
    [[nodiscard]] const CVersionInfo& GetVersionInfo() const { return m_versionInfo; }
    [[nodiscard]] std::int32_t GetReservedWord(int index) const;
    [[nodiscard]] int GetLoadStatus() const { return m_loadStatus; }
    void SetLoadStatus(int status) { m_loadStatus = status; }
    [[nodiscard]] bool IsDisplayAxes() const { return m_displayAxes; }
    // Stores the axes-shown flag (the axis options take it when they exist).
    void SetDisplayAxes(bool display);

private:
    void CreateMembers();
    void ListenToRootManagers(bool listen);

    CComponent* m_rootComponent = nullptr;
    CFontManager* m_fontManager = nullptr;
    bool m_displayAxes = true;
    GUID m_modelId{};
    CString m_description;
    std::int32_t m_reserved[kReservedWordCount] = {};
    CVersionInfo m_versionInfo;
    int m_loadStatus = 0;
    CInstancePath m_activePath;
    CSelectionSet m_selection;
    CUndoManager* m_undoManager = nullptr;
    CBackReferenceMap* m_backReferences = nullptr;
    int m_refCount = 1;
};

// The current model, or null. Making a model current makes its undo manager current
// too; making none current leaves the undo manager as it is. Returns the previous model.
[[nodiscard]] CTarnwickModel* GetCurrentModel();
CTarnwickModel* SetCurrentModel(CTarnwickModel* model);

// Saves the current model and makes it current again when it ends, also when an
// exception passes; its undo manager becomes current with it (none saved leaves the
// undo manager as it is). Optionally makes another model current meanwhile. The saved
// model must outlive the scope.
class CurrentModelScope
{
public:
    CurrentModelScope();
    explicit CurrentModelScope(CTarnwickModel* model);
    ~CurrentModelScope();

    CurrentModelScope(const CurrentModelScope&) = delete;
    CurrentModelScope& operator=(const CurrentModelScope&) = delete;

    [[nodiscard]] CTarnwickModel* GetPrevious() const { return m_previousModel; }

private:
    CTarnwickModel* m_previousModel;
};
