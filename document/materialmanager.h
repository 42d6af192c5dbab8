#pragma once
// CMaterialManager: the materials of one component in insertion order, the current
// material, unique names for new materials, and the plain-colour material of a colour
// for files that store colours instead of materials.

#include <vector>

#include "foundation/color.h"
#include "model/dblistener.h"
#include "model/entity.h"
#include "model/entitycontainer.h"

class CMaterial;

class CMaterialManager : public CEntity, public IEntityContainer, public CDBListener
{
    DECLARE_SERIAL(CMaterialManager)

public:
    CMaterialManager();
    // Undo snapshot: no materials, the same current material.
    CMaterialManager(const CMaterialManager& other);
    // Frees the list; the materials go with RemoveAll or Clear.
    ~CMaterialManager() override;

    // Reads or writes the manager record: the materials as object references, then
    // the current material. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // Erases every material, then the entity.
    void Erase() override;
    // The other entity must be a material manager.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;

    // IEntityContainer over the materials.
    [[nodiscard]] int GetCount() const override;
    [[nodiscard]] bool IsEmpty() const override;
    [[nodiscard]] bool Contains(const CEntity* entity) const override;
    // Appends a material not held yet; the manager becomes its parent in every case.
    void Add(CEntity* entity) override;
    bool Remove(CEntity* entity) override;
    // Erases every material; the current material goes too, held or not.
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
    // Records a change of every material and sets its use count to 0.
    void ResetUseCounts();
    // Removes and erases hidden, unused materials other than the current one.
    void PurgeUnused();
    // Erases every material and forgets the current one.
    virtual void Clear();

    [[nodiscard]] CMaterial* GetCurrentMaterial() const { return m_current; }
    [[nodiscard]] const std::vector<CMaterial*>& GetMaterials() const { return m_materials; }

    // CDBListener: remembers whether an operation of kind 2 or 3 runs (for the material
    // notifications, which have no listeners yet).
    void OnOperationStarted(int code, int nameId) override;
    void OnOperationCommitted(int code, int nameId, int flags) override;

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    static void DropStrayMaterial(CArchive& ar, CMaterial* material);

    bool m_operationActive = false;
    std::vector<CMaterial*> m_materials;
    CMaterial* m_current = nullptr;
};

// The material manager of the current model's root component; null without a current model.
[[nodiscard]] CMaterialManager* GetCurrentMaterialManager();
