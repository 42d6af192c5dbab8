#pragma once
// CTarnwickModel: the root of one model. It owns the root component with the
// top-level entities (and, through it, the layer and material managers the model
// uses), the model-wide settings and managers, the camera, the selection, the undo
// manager, the back-reference map, the active path of instances being edited, and the
// model's identifier, version and description. It reads and writes the model file
// (modelfileread.cpp, modelfilewrite.cpp). It is reference counted. One global names
// the current model: code that has no model at hand (entity constructors, the undo
// hooks) uses it.

#include <cstdint>
#include <vector>

#include "document/camera.h"
#include "document/instancepath.h"
#include "foundation/transformation.h"
#include "foundation/versioninfo.h"
#include "model/selectionset.h"
#include "platform/cstring.h"
#include "platform/guid.h"
#include "platform/object.h"

class CArchive;
class CBackReferenceMap;
class CComponent;
class CComponentBehavior;
class CComponentCS;
class CComponentInstance;
class CDefinitionList;
class CDib;
class CDimensionStyle;
class CWatermark;
class CDrawingElement;
class CEntity;
class CFontManager;
class CLayerManager;
class CLoadSession;
class CMaterialManager;
class COptionsManager;
class CPageList;
class CRenderingOptions;
class CShadowInfo;
class CTarnisCS;
class CTextStyle;
class CUndoManager;
class CVertex;
class IDrawingBase;

class CTarnwickModel : public CObject
{
    DECLARE_SERIAL(CTarnwickModel)

public:
    static constexpr int kReservedWordCount = 16;
    static constexpr int kTypeId = 34;

    // Load statuses (GetLoadStatus after a read).
    static constexpr int kLoadOk = 0;
    static constexpr int kLoadNotAModel = 1;
    static constexpr int kLoadNeedsNewerVersion = 2;

    // Makes the members with this model current (the previous current model is
    // restored), sets the default camera, then an undo manager, which becomes current
    // when none is. The root component's material and layer managers listen to it; the
    // root layer manager broadcasts and the selection notifies. The count starts at 1.
    CTarnwickModel();
    // Tells the listeners, deletes the members with this model current (the entities as
    // Clear lets them go), and clears the current model when it is this one. Posts
    // "DeleteModelNotification" first.
    ~CTarnwickModel() override;

    CTarnwickModel(const CTarnwickModel&) = delete;
    CTarnwickModel& operator=(const CTarnwickModel&) = delete;

    // Reads the whole model file when the archive is loading (the outcome is the load
    // status; a read that throws leaves an empty model and frees everything it made),
    // writes it in the current save format when storing. Archive exceptions pass on.
    void Serialize(CArchive& ar) override;

    [[nodiscard]] virtual int GetTypeId() const { return kTypeId; }
    // Empties the model: undo history, active path, ids, pages, settings, entities,
    // identifier, description, preview, back-reference map and camera. The entities go
    // as a whole (model/wholemodelrelease.h): the faces and edges without mending, notices
    // or undo records, those of a large model perhaps in the program's idle time.
    virtual void Clear();

    // The process is about to end: the model keeps everything it holds and its
    // destructor lets it go without erasing or freeing any of it, which for a large model
    // takes seconds entity by entity. The undo log gets what the destruction writes to it
    // now, and is closed. Only for the program's own exit road, which ends the process
    // right after without running the leak check; anywhere else the whole model would leak.
    void AbandonAtExit();

    void AddRef() { ++m_refCount; }
    // The new count. At 0 the model is deleted (with change recording off) and must
    // not be touched again. Called on a count of 0 it prints a message and returns 0.
    int Release();
    [[nodiscard]] int GetRefCount() const { return m_refCount; }

    // Makes this model (and its undo manager) current, and its options providers.
    void MakeCurrent();

    [[nodiscard]] CComponent* GetRootComponent() const { return m_rootComponent; }
    // What the count made at opening weighed the model at, in the frame meter's units; a
    // still frame's budget follows it. A model made in memory is counted (shadows
    // included) the first time it is asked, and again after Clear.
    [[nodiscard]] std::uint64_t GetDrawingWork();
    // Keeps the count the reader made, so that it is not made twice.
    void SetDrawingWork(std::uint64_t work)
    {
        m_drawingWork = work;
        m_drawingWorkKnown = true;
    }
    // The root component's managers; null without a root component.
    [[nodiscard]] CMaterialManager* GetMaterialManager() const;
    [[nodiscard]] CLayerManager* GetLayerManager() const;
    [[nodiscard]] CDefinitionList* GetDefinitionList() const;
    [[nodiscard]] CUndoManager* GetUndoManager() const { return m_undoManager; }
    [[nodiscard]] CSelectionSet& GetSelectionSet() { return m_selection; }
    // The back-reference map, made empty on first use.
    [[nodiscard]] CBackReferenceMap* GetEntitySet();
    // The back-reference map when it exists; null otherwise.
    [[nodiscard]] CBackReferenceMap* FindEntitySet() const { return m_backReferences; }

    [[nodiscard]] CTarnisCS* GetDrawingAxes() const { return m_drawingAxes; }
    // The axes marker of the component being looked at or edited.
    [[nodiscard]] CComponentCS* GetComponentAxes() const { return m_componentAxes; }
    [[nodiscard]] CRenderingOptions* GetRenderingOptions() const { return m_rendering; }
    [[nodiscard]] CShadowInfo* GetShadowInfo() const { return m_shadow; }
    // The watermarks every view of the model draws, the model owning them. No record of
    // the file lists watermarks, so they are kept for as long as the model is in memory.
    void AddWatermark(CWatermark* watermark);
    [[nodiscard]] const std::vector<CWatermark*>& GetWatermarks() const { return m_watermarks; }
    // Copies the settings into the model's and posts "ShadowNotification" (assigned).
    void SetShadowInfo(const CShadowInfo& shadow);
    [[nodiscard]] COptionsManager* GetOptionsManager() const { return m_options; }
    [[nodiscard]] CPageList* GetPageList() const { return m_pageList; }
    [[nodiscard]] CComponentBehavior* GetComponentBehavior() const { return m_behavior; }
    [[nodiscard]] CFontManager* GetFontManager() const { return m_fontManager; }
    [[nodiscard]] CDimensionStyle* GetDimensionStyle() const { return m_dimensionStyle; }
    [[nodiscard]] CTextStyle* GetTextStyle() const { return m_textStyle; }
    [[nodiscard]] const CCamera& GetCamera() const { return m_camera; }
    [[nodiscard]] CCamera& GetCamera() { return m_camera; }
    void SetCamera(const CCamera& camera) { m_camera = camera; }
    // The default view: eye (0, 0, 500) looking at the origin, perspective, 30 degrees.
    void ResetCamera();

    // The active path: the instances being edited, outermost first.
    [[nodiscard]] const CInstancePath& GetActivePath() const { return m_activePath; }
    [[nodiscard]] bool IsActivePath(const CInstancePath& path) const;
    // The innermost instance of the active path; null when the path is empty.
    [[nodiscard]] CComponentInstance* GetActiveInstance() const;
    // Opens an instance that the active component holds for editing: it joins the active
    // path and the component axes move to where it shows its definition's axes. False,
    // changing nothing, for any other instance.
    bool OpenInstance(CComponentInstance* instance);
    // Closes the innermost open instance: its component's edit transform is reset and the
    // component axes go back to the model's origin. Nothing while none is open.
    void CloseInstance();
    // The component that new entities go into: the active instance's definition, else
    // the root component.
    [[nodiscard]] CComponent* GetActiveComponent() const;
    [[nodiscard]] const CTransformation& GetActiveTransform() const;
    // Adds the entity to the active component (recorded for undo) and returns it.
    CDrawingElement* AddEntity(CDrawingElement* entity);
    [[nodiscard]] CDrawingElement* GetActiveSectionPlane() const;
    void SetActiveSectionPlane(CDrawingElement* plane);
    // While section cuts are shown: the active planes of the root component and of
    // every definition; nothing otherwise.
    void CollectActiveSectionPlanes(std::vector<CDrawingElement*>& planes) const;
    // Deactivates every active plane, then activates each given plane in its own
    // component.
    void RestoreActiveSectionPlanes(const std::vector<CDrawingElement*>& planes);
    // While section cuts are shown, pushes (pops) the active planes of the components
    // on the active path and, when asked, of the active component.
    void ApplySectionPlanes(IDrawingBase& context, bool includeActive) const;
    void RemoveSectionPlanes(IDrawingBase& context, bool includeActive) const;

    [[nodiscard]] const GUID& GetModelId() const { return m_modelId; }
    void SetModelId(const GUID& id) { m_modelId = id; }
    [[nodiscard]] const CString& GetDescription() const { return m_description; }
    void SetDescription(const CString& description) { m_description = description; }
    [[nodiscard]] const CVersionInfo& GetVersionInfo() const { return m_versionInfo; }
    [[nodiscard]] std::int32_t GetReservedWord(int index) const;
    [[nodiscard]] int GetLoadStatus() const { return m_loadStatus; }
    // The bytes of the file that the last read left after the end of the model's record:
    // appended data, or a damaged file whose bytes the records took for an earlier end.
    // 0 for a file read to its end, a refused one, or a stream of unknown length.
    [[nodiscard]] std::uint64_t GetUnreadByteCount() const { return m_unreadBytes; }
    // The entries of the components' entity lists that the last read left out: empty
    // ones, and ones naming the component itself or an element listed twice. Only a
    // damaged file has any; 0 for a sound or a refused read. The components' read adds
    // to it (NoteLeftOutEntries) on the current model.
    [[nodiscard]] std::uint64_t GetLeftOutEntryCount() const { return m_leftOutEntries; }
    void NoteLeftOutEntries(std::uint64_t count) { m_leftOutEntries += count; }
    // True while a model file is read into the model: it then holds only what the read
    // made, which nobody has drawn or measured yet.
    [[nodiscard]] bool IsReadingFile() const { return m_readingFile; }
    void SetLoadStatus(int status) { m_loadStatus = status; }
    [[nodiscard]] bool IsDisplayAxes() const { return m_displayAxes; }
    // Stores the axes-shown flag and, with an options manager, the axis options' value.
    void SetDisplayAxes(bool display);
    // The stored preview picture; null when there is none. One read from a file that did
    // not decode has no bitmap and keeps its bytes to be written back.
    [[nodiscard]] CDib* GetPreviewImage() const { return m_preview; }
    // Holds a use of the picture (a file may hand the same one to a thumbnail or a
    // watermark) and lets go of the one held before, deleted with its last use.
    void SetPreviewImage(CDib* image);
    [[nodiscard]] bool IsRedefineThumbnailOnSave() const { return m_redefineThumbnail; }
    void SetRedefineThumbnailOnSave(bool redefine) { m_redefineThumbnail = redefine; }

    // Releases what the view cached for the model (textures, fonts, display lists).
    void FreeDisplayResources();
    // The model's consistency check: the managers, settings, axes, definitions, root
    // component and pages in that order; the worst severity (0 to 3).
    int FixValidityErrors(int mode, bool repair);
    [[nodiscard]] bool IsChecking() const { return m_checking; }

    // For the file frame's load session: drops from the model's containers, without
    // erasing them, every object of the set (objects a failed read made).
    void ForgetObjects(const std::vector<CObject*>& sortedObjects);

private:
    void PlaceComponentAxes();
    // The file frame (modelfileread.cpp, modelfilewrite.cpp).
    void ReadModelFile(CArchive& ar);
    void ReadVersionedFields(CArchive& ar, int fileVersion, int modelVersion, CLoadSession& session);
    void ReadEntities(CArchive& ar, int fileVersion, int modelVersion);
    void ReadOldMaterials(CArchive& ar, CLoadSession& session);
    void WriteModelFile(CArchive& ar);
    void FinishReading(int modelVersion);
    void EmptyBeforeReading();
    void AdoptOrphans(CArchive& ar);
    void DropStyleFontsOfEmptyModel();
    void DeleteLooseVertices();

    void CreateMembers();
    void DeleteMembers();
    void ListenToRootManagers(bool listen);
    void ResetSettings();
    void EraseMemberAttributes();
    void EraseUnheldAttributes(const CArchive& ar);

    CComponent* m_rootComponent = nullptr;
    CTarnisCS* m_drawingAxes = nullptr;
    bool m_displayAxes = true;
    CCamera m_camera;
    CRenderingOptions* m_rendering = nullptr;
    CShadowInfo* m_shadow = nullptr;
    std::uint64_t m_drawingWork = 0;
    bool m_drawingWorkKnown = false;
    std::vector<CWatermark*> m_watermarks;
    COptionsManager* m_options = nullptr;
    CPageList* m_pageList = nullptr;
    GUID m_modelId{};
    CComponentBehavior* m_behavior = nullptr;
    CString m_description;
    std::int32_t m_reserved[kReservedWordCount] = {};
    CDib* m_preview = nullptr;
    // Vertices the file lists apart that no edge took. The model shows and writes none of
    // them, but what was read after them may point at one (a dimension's end), so they
    // last as long as the rest of what the file gave the model.
    std::vector<CVertex*> m_looseVertices;
    bool m_redefineThumbnail = true;
    CDimensionStyle* m_dimensionStyle = nullptr;
    CTextStyle* m_textStyle = nullptr;
    CFontManager* m_fontManager = nullptr;
    CVersionInfo m_versionInfo;
    CComponentCS* m_componentAxes = nullptr;
    int m_loadStatus = 0;
    std::uint64_t m_unreadBytes = 0;
    std::uint64_t m_leftOutEntries = 0;
    bool m_readingFile = false;
    CInstancePath m_activePath;
    CSelectionSet m_selection;
    CUndoManager* m_undoManager = nullptr;
    CBackReferenceMap* m_backReferences = nullptr;
    int m_refCount = 1;
    bool m_checking = false;
    bool m_abandoned = false;
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

// Statuses of the header-only reader.
inline constexpr int kHeaderRead = 0;
inline constexpr int kHeaderCannotOpen = 1;
inline constexpr int kHeaderNotUsable = 2;
inline constexpr int kHeaderNoPreview = 3;
inline constexpr int kHeaderReadFailed = 4;

// Reads a model file's header up to its description without a model: 0 (preview
// image or null), 2 (not a model file, too new, or a preview that cannot be decoded),
// 3 (the file predates stored previews; the description is still read). The caller
// owns the preview. Archive exceptions pass on; the preview is then null. Either way
// the file version and the loaded class-version map are left as they were found.
int ReadModelFileHeader(CArchive& ar, CDib*& preview, CString& description);
// Opens the file and runs ReadModelFileHeader: 1 when the file cannot be opened, 4
// when the read throws (the preview is then null). Never throws.
int ReadModelFilePreview(const CString& path, CDib*& preview, CString& description);
