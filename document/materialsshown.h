#pragma once
// CMaterialsShown: the materials a count of the drawing work meets, each kept once, and
// what decoding their pictures costs a frame. A material's picture is decoded and made a
// texture once, however many faces show it.

#include <cstdint>
#include <unordered_set>

class CDrawingElement;
class CMaterial;

class CMaterialsShown
{
public:
    // The entity's material, and a face's back material too.
    void Add(const CDrawingElement& entity);
    // Nothing for null.
    void Add(const CMaterial* material);

    // The pictures' work in the frame meter's units: each decoded, and its pixels prepared
    // for GL, as a frame charges them, until the textures' budget is spent; past it a face
    // shows its material's colour and its picture is not decoded. Counted no further than
    // one past the drawing budget.
    [[nodiscard]] std::uint64_t GetPictureWork() const;

private:
    std::unordered_set<const CMaterial*> m_materials;
    const CMaterial* m_last = nullptr;
};
