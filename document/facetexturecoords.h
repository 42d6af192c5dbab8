#pragma once
// CFaceTextureCoords: the attribute of a face whose texture is placed rather than
// simply tiled along the face's plane: one placement for the front side and one for
// the back. Transforming the face moves both placements with it.

#include "document/textureplacement.h"
#include "model/attribute.h"

class CFaceTextureCoords : public CAttribute
{
    DECLARE_SERIAL(CFaceTextureCoords)

public:
    // Both sides empty.
    CFaceTextureCoords();
    // Undo snapshots and clones: both placements, pins included.
    CFaceTextureCoords(const CFaceTextureCoords& other);
    ~CFaceTextureCoords() override;

    // The attribute part, then both placements (formats 5000 and 4000; format 3000
    // keeps only the attribute part). Throws the archive exception on bad input; a pin
    // count that is negative or beyond the data is genericException or endOfFile. A
    // placement that fails CTexturePlacement::IsValid is reset; a number that is not
    // finite in a part its flags do not use is set to none (both said on standard error).
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    // The copy that goes with a copied face: the pins stay behind.
    [[nodiscard]] CAttribute* CloneAttribute() const override;
    // Exchanges the attribute part and both placements; the other must be of this class.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;
    // Both placements valid; repair empties an invalid one.
    int CheckValidity(int mode, CValidityResultMap* results) override;

    [[nodiscard]] const CTexturePlacement& GetFrontPlacement() const { return m_front; }
    [[nodiscard]] const CTexturePlacement& GetBackPlacement() const { return m_back; }
    // Each setter records the change first.
    void SetFrontPlacement(const CTexturePlacement& placement);
    void SetBackPlacement(const CTexturePlacement& placement);
    void SetFrontMatrix(const Matrix3& matrix);
    void SetBackMatrix(const Matrix3& matrix);
    // Nothing when the direction (within 0.001) and the projected flag are unchanged.
    void SetFrontProjection(const CVector3d& direction, bool projected);
    void SetBackProjection(const CVector3d& direction, bool projected);

    [[nodiscard]] bool IsSideEmpty(bool front) const;
    [[nodiscard]] bool IsEmpty() const;
    // Moves both placements with the face whose plane was planeBefore; nothing, and
    // nothing recorded, when neither side has flags.
    void Transform(const CTransformation& transform, const CPlane3d& planeBefore);

private:
    void SetProjection(CTexturePlacement& side, const CVector3d& direction, bool projected);
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;

    CTexturePlacement m_front;
    CTexturePlacement m_back;
};

// The entity's face texture coordinates; null when it has none.
[[nodiscard]] CFaceTextureCoords* GetFaceTextureCoords(const CEntity* entity);
