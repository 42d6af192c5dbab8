#pragma once
// CMaterialManager: the materials of one component in insertion order, the current
// material, unique names for new materials, the plain-colour material of a colour
// for files that store colours instead of materials, and one shared picture for
// textures that come from the same file. The material talker hears what happens.

#include <string>
#include <vector>

#include "foundation/color.h"
#include "foundation/notificationcenter.h"
#include "model/dblistener.h"
#include "model/entity.h"
#include "model/entitycontainer.h"

class CMaterial;

class CMaterialManager : public CEntity, public IEntityContainer, public CDBListener, public IObserver
{
    DECLARE_SERIAL(CMaterialManager)

public:
    // Listens for "Rendering Options Change".
    CMaterialManager();
    // Undo snapshot: no materials, the same current material; listens to nothing.
    CMaterialManager(const CMaterialManager& other);
    // Leaves the notification centre and frees the list; the materials go with
    // RemoveAll or Clear.
    ~CMaterialManager() override;

    // Reads or writes the manager record: the materials as object references, then
    // the current material; after reading, textures of the same file share one
    // picture, one known to decode (a damaged copy never replaces another). Throws the archive exception on bad input; a material that another
    // manager holds already is badIndex.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Erases every material, then the entity.
    void Erase() override;
    // The other entity must be a material manager.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;
    // Every entry (from the last) and the current material are materials; every
    // material passes its own check.
    int CheckValidity(int mode, CValidityResultMap* results) override;

    // IEntityContainer over the materials.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends a material not held yet; the manager becomes its parent in every case.
    void Add(CEntity* entity) override;
    bool Remove(CEntity* entity) override;
    // Erases every material (its OpenGL texture dropped first); the current material
    // goes too, held or not.
    void RemoveAll() override;
    [[nodiscard]] CEntity* GetAt(int index) const override;
    // Skips hidden materials; CreateIterator includes them.
    [[nodiscard]] IEntityIterator* NewIterator() override;
    [[nodiscard]] IEntityIterator* CreateIterator();

    // Records the addition in the open operation (while recording), then adds. Null is ignored.
    void AddMaterial(CMaterial* material);
    // The first material with exactly this colour word and hidden flag whose texture file
    // name (empty without a texture, compared without regard to case) and size (within
    // 0.001; 0 by 0 without a texture) match; null when none.
    [[nodiscard]] CMaterial* FindMaterial(CColor color, const CString& textureFileName, double width,
                                          double height, bool hidden) const;
    // Compared with display names without regard to case; null for an empty name.
    [[nodiscard]] CMaterial* FindByName(const CString& name) const;
    // The stem of the base (trailing digits stripped) with the first number 1, 2, ...
    // that no material's name takes.
    [[nodiscard]] CString MakeUniqueName(const CString& base) const;
    [[nodiscard]] CString GenerateUniqueName() const;
    // The manager's plain-colour material of the colour, created, named "*<n>" and
    // added (recorded for undo) when absent.
    CMaterial* FindOrCreateColorMaterial(CColor color);
    // Every textured material's OpenGL texture is dropped, to be made again.
    void ReleaseTextures();
    // Records a change of every material and sets its use count to 0.
    void ResetUseCounts();
    // Removes and erases hidden, unused materials other than the current one.
    void PurgeUnused();
    // Erases every material and forgets the current one; the model's own manager tells
    // the material listeners first.
    virtual void Clear();

    [[nodiscard]] CMaterial* GetCurrentMaterial() const { return m_current; }
    [[nodiscard]] const std::vector<CMaterial*>& GetMaterials() const { return m_materials; }

    // CDBListener: materials changed during an operation of kind 2 or 3, and erased
    // materials, are told to the material talker.
    void OnOperationStarted(int code, int nameId) override;
    void OnOperationCommitted(int code, int nameId, int flags) override;
    void OnEntityModified(CEntity* entity) override;
    void OnEntityErased(CEntity* entity) override;

    // "Rendering Options Change" of the transparency settings releases the textures.
    void OnNotify(const std::string& name, void* data) override;

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    void ReadMaterials(CArchive& ar);
    void ShareTexturePictures();
    void KeepStrayMaterial(CMaterial* material);

    bool m_operationActive = false;
    std::vector<CMaterial*> m_materials;
    CMaterial* m_current = nullptr;
};

// The material manager of the current model's root component; null without a current model.
[[nodiscard]] CMaterialManager* GetCurrentMaterialManager();
