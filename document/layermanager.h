#pragma once
// CLayerManager: the layers of one component, in order of addition, the first being
// the default layer "Layer0", and the current layer that new elements take. Only the
// model's root manager broadcasts "Layer Changed" (its broadcasts switch is set by the
// model); the record (code, layer) goes with the notification.

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/notificationcenter.h"
#include "model/dblistener.h"
#include "model/entity.h"
#include "model/entitycontainer.h"

class CLayer;

// The data of "Layer Changed".
struct LayerChangedData
{
    std::int32_t code;
    CLayer* layer;
};

// Codes of "Layer Changed".
enum LayerChangeCode : std::int32_t
{
    kLayerAdded = 0,
    kLayerRemoved = 1,
    kLayerCurrentChanged = 2,
    kLayersCleared = 3,
    kLayerChangedInOperation = 9,
    kLayerHiddenSet = 11,
};

class CLayerManager : public CEntity, public IEntityContainer, public CDBListener, public IObserver
{
    DECLARE_SERIAL(CLayerManager)

public:
    // Empty; the component makes the default layer (EnsureDefaultLayer). Listens for
    // "Rendering Options Change".
    CLayerManager();
    // Undo snapshot: the current-layer pointer and the broadcasts switch; no layers;
    // listens to nothing.
    CLayerManager(const CLayerManager& other);
    // Leaves the notification centre and frees the list; the layers go with Erase or
    // Clear.
    ~CLayerManager() override;

    // Reads or writes the manager record: the layers as object references, then the
    // current layer. Throws the archive exception on bad input; a layer that another
    // manager holds already is badIndex. A current layer that the manager does not
    // hold is deleted when the archive closes.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a layer manager.
    void SwapData(CEntity& other) override;
    // Erases every layer, then the entity.
    void Erase() override;
    [[nodiscard]] int GetTypeId() const override;
    // Every entry and the current layer are layers; every layer passes its own check.
    int CheckValidity(int mode, CValidityResultMap* results) override;

    // IEntityContainer over the layers.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends a layer not held yet; the manager becomes its parent in every case.
    void Add(CEntity* entity) override;
    // Takes the layer out without erasing it; the current layer moves to the first.
    bool Remove(CEntity* entity) override;
    // Erases every layer; no current layer remains.
    void RemoveAll() override;
    [[nodiscard]] CEntity* GetAt(int index) const override;
    [[nodiscard]] IEntityIterator* NewIterator() override;

    // A new layer with the next colour of the layer colour table; null when a layer's
    // display name already equals the name without regard to case.
    CLayer* AddLayer(const CString& name);
    [[nodiscard]] bool IsNameUnique(const CString& name) const;
    // The first layer whose display name equals the text without regard to case.
    [[nodiscard]] CLayer* FindLayer(const CString& name) const;
    // Adds "Layer0" and makes it current; when that name is taken the current layer
    // becomes null.
    void EnsureDefaultLayer();

    [[nodiscard]] CLayer* GetCurrentLayer() const { return m_current; }
    // False for a layer the manager does not hold.
    bool SetCurrentLayer(CLayer* layer);
    // The first layer; null when there is none.
    [[nodiscard]] CLayer* GetDefaultLayer() const;
    [[nodiscard]] CLayer* GetFirstShownLayer() const;
    // Refuses (false) to hide the current layer when no other layer is shown.
    bool SetLayerHidden(CLayer* layer, bool hide);
    // Erases every layer; the list and the current layer are emptied.
    void Clear();
    // Every textured layer material's OpenGL texture is dropped, to be made again.
    void ReleaseLayerTextures();

    [[nodiscard]] bool IsBroadcasting() const { return m_broadcasts; }
    void SetBroadcasting(bool on) { m_broadcasts = on; }
    [[nodiscard]] const std::vector<CLayer*>& GetLayers() const { return m_layers; }

    // CDBListener: a layer changed during an operation of kind 2 or 3 is announced.
    void OnOperationStarted(int code, int nameId) override;
    void OnOperationCommitted(int code, int nameId, int flags) override;
    void OnEntityModified(CEntity* entity) override;

    // "Rendering Options Change" of the transparency settings releases the textures.
    void OnNotify(const std::string& name, void* data) override;

private:
    void Post(std::int32_t code, CLayer* layer);
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    void KeepOnlyFirstLayer();
    void ReadCurrentLayer(CArchive& ar, int version, std::int32_t count);

    std::vector<CLayer*> m_layers;
    CLayer* m_current = nullptr;
    std::int32_t m_nextColor = 0;
    bool m_broadcasts = false;
    bool m_operationActive = false;
};

// The layer manager of the current model's root component; null without a current model.
[[nodiscard]] CLayerManager* GetCurrentLayerManager();
