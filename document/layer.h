#pragma once
// CLayer: a named group of drawing elements that can be hidden together and that has
// a colour material of its own, used when elements are coloured by layer. Every layer
// manager starts with the default layer "Layer0".

#include <cstdint>

#include "foundation/color.h"
#include "model/entity.h"

class CMaterial;

// The name of the default layer, compared exactly.
inline constexpr const char* kDefaultLayerName = "Layer0";

class CLayer : public CEntity
{
    DECLARE_SERIAL(CLayer)

public:
    // Page-flag bits: the hidden state stored for pages, and the two overrides.
    static constexpr std::uint32_t kPageHidden = 0x1;
    static constexpr std::uint32_t kPageOverrideShown = 0x10;
    static constexpr std::uint32_t kPageOverrideHidden = 0x20;

    // An unnamed, shown layer with its own hidden material named "Layer".
    CLayer();
    // Undo snapshot: name, hidden, page flags and the material pointer (shared).
    CLayer(const CLayer& other);
    // Deletes the material while the layer still owns it (until Erase hands it on):
    // a layer that a failed read leaves behind takes its material with it.
    ~CLayer() override;

    // Reads or writes the layer record (name, hidden byte, the material embedded, page
    // flags). Throws the archive exception on bad input. Old records name a material
    // that the layer reads and drops: the layer's own material takes its colour.
    void Serialize(CArchive& ar) override;
    // Erases the material, then the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a layer.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;
    // A name, and a material that is one and passes its own check.
    int CheckValidity(int mode, CValidityResultMap* results) override;

    [[nodiscard]] const CString& GetName() const { return m_name; }
    // Renames the layer and its material ("Layer_" + name); nothing when unchanged.
    void SetName(const CString& name);
    [[nodiscard]] bool IsHidden() const { return m_hidden; }
    // Records the change only when the value differs.
    void SetHidden(bool hidden);
    // A colour word of 0 is ignored.
    void SetColor(CColor color);
    [[nodiscard]] CMaterial* GetMaterial() const { return m_material; }

    [[nodiscard]] std::uint32_t GetPageFlags() const { return m_pageFlags; }
    void SetPageFlags(std::uint32_t flags) { m_pageFlags = flags; }
    // Whether the layer's state (with the overrides when asked) equals the stored page state.
    [[nodiscard]] bool MatchesPageState(bool applyOverrides) const;

    // True for null and for a layer named exactly "Layer0".
    [[nodiscard]] static bool IsDefaultLayer(const CLayer* layer);
    // The name; "Layer0" for null or the default layer.
    [[nodiscard]] static CString GetDisplayName(const CLayer* layer);

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);

    CString m_name;
    bool m_hidden = false;
    // Whether the name is the default layer's, kept with the name: asked for every
    // element made and read.
    bool m_defaultName = false;
    CMaterial* m_material = nullptr;
    bool m_ownsMaterial = false;
    std::uint32_t m_pageFlags = 0;
};

// Reads an object reference that must be a layer (null allowed); another class is the
// archive exception badClass.
void ArchiveReadLayer(CArchive& ar, CLayer*& layer);
