#pragma once
// CConstructionGeometry: the base of guide lines and guide points, the helper geometry
// a model is laid out with. Guides are drawing elements but never carry a material:
// whatever a record names is dropped, in both directions.

#include "model/drawingelement.h"

class CConstructionGeometry : public CDrawingElement
{
    DECLARE_SERIAL(CConstructionGeometry)

public:
    CConstructionGeometry();
    CConstructionGeometry(const CConstructionGeometry& other);
    ~CConstructionGeometry() override;

    // The drawing-element part; afterwards the material, if any, loses its use and is
    // forgotten without recording. Throws the archive exception on bad input.
    void Serialize(CArchive& ar) override;
    [[nodiscard]] CEntity* Clone() const override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;
    // Shown as a drawing element unless the options hide construction geometry.
    [[nodiscard]] bool IsShown(ITarnisView* view) const override;
    // The selection colours when highlighted; else the layer's colour while the options
    // colour by layer, or the guide colour, blended halfway to the background for a
    // hidden guide.
    [[nodiscard]] CColor GetDrawColor(ITarnisView* view) const override;

protected:
    // Whether the view draws guides now: full detail only.
    [[nodiscard]] static bool IsDrawnAtLevel(ITarnisView* view);

    // The steps every guide's check starts with: bypass, cached result, class, then
    // this class's check. True when the check is finished and result holds its answer.
    bool StartGuideCheck(const CRuntimeClass* guideClass, int mode, CValidityResultMap* results, int& result);

private:
    void DropMaterial();
};
