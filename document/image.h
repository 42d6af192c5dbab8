#pragma once
// CImage: a picture placed in the model. It is a component instance whose definition
// holds one rectangular face painted with a material whose texture is the picture. The
// image keeps no material of its own, casts no shadow, and keeps its z axis at right
// angles to its x and y axes with a z scale of 1.

#include <vector>

#include "document/componentinstance.h"

class CFace;
class CMaterial;

class CImage : public CComponentInstance
{
    DECLARE_SERIAL(CImage)

public:
    // Casts no shadow; both drawing flags false.
    CImage();
    // Both drawing flags false.
    CImage(const CImage& other);
    ~CImage() override;

    // The instance record; reading cleans the transformation up. In both directions an
    // element material loses its use and is dropped.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    [[nodiscard]] bool CanHaveMaterial() const override;
    // Rebuilds the z axis at right angles to x and y (kept mirrored when it was) with a
    // z scale of 1, then tells the glued entities.
    void OnTransformChanged() override;

    // The definition's fifth entity when that is a face, else its first face; null
    // when it has none.
    [[nodiscard]] CFace* GetFace() const;
    // Whether the image is glued as the face it shows faces the view (from the last
    // drawing).
    [[nodiscard]] bool IsFaceSideShown() const { return m_glued == m_facing; }
    void SetDrawingFlags(bool glued, bool facing);
    // Shaded and textured whatever the view's style (imagedraw.cpp).
    void Draw(ITarnisView* view) override;
    // The instance's pick drawing with the edges shown unless the picture is glued and
    // seen from behind.
    void DrawIfShown(ITarnisView* view) override;

    // The picture's size as its texture reports it, rounded; 0 without face, material
    // or texture.
    [[nodiscard]] int GetImageWidth() const;
    [[nodiscard]] int GetImageHeight() const;
    // Another material of the picture material's manager that shows the same picture at
    // the size this image shows it; null when there is none.
    [[nodiscard]] CMaterial* FindMatchingMaterial() const;
    // A new material showing the picture at the size this image shows it, named after
    // the picture's file (whatever its length; "Image" when it has no base name), added
    // to the picture material's manager. Null without face, material, texture or manager.
    CMaterial* MakeMaterial();
    // Gives the image a definition of its own, paints its face on both sides with a
    // material of its own, then explodes it into that face and its edges.
    std::vector<CEntity*> Explode(bool callerFlag, bool onlyInstance) override;

private:
    void DropOwnMaterial();
    static void PlaceTexture(CFace* face, double width, double height);

    bool m_droppingMaterial = false;
    bool m_glued = false;
    bool m_facing = false;
};
