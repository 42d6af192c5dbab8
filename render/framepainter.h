#pragma once
// CFramePainter: the steps of a frame that draw around the model: the lights, the
// clear colour, the sky and ground behind everything, the blended pass for
// transparent faces, the transparent ground and the aspect-ratio bars. The view's
// frame drives it in order; each step leaves the view's cached GL state true.
//
// LowerDrawingLevel is the rule by which a slow interactive frame trades features
// for speed; it needs no context.

#include "foundation/color.h"

class CRenderingOptions;
class CTarnisView;

class CFramePainter
{
public:
    // The view's options, or the defaults when it has none.
    explicit CFramePainter(CTarnisView& view);

    // The head light fixed to the eye, or the sun fixed in the model when shadows or
    // sun shading are on, and the projection and view matrices in between. In the
    // flat-colour mode a white ambient light only, and the buffers cleared to black.
    void SetupLights(bool shadows);
    void SetClearColor();
    // 1 see-through, 2 blended transparency, 0 none (also in wireframe and below
    // drawing level 6).
    [[nodiscard]] int GetTransparencyMode() const;
    void DrawBackground();
    // The root component drawn again over the opaque model, blending (pass marker 2),
    // and the depth-only pass when the transparent ground needs it (pass marker 3).
    void DrawBlendedPass();
    void DrawTransparentGround();
    void DrawAspectBars();

    // The override table's "GroundPlaneColor", else the background colour.
    [[nodiscard]] CColor GetGroundColor() const;
    // The override table's "GroundPlaneColor", else the options' ground colour.
    [[nodiscard]] CColor GetGroundPlaneColor() const;
    [[nodiscard]] const CRenderingOptions& GetOptions() const { return *m_options; }

private:
    struct Gradient;
    [[nodiscard]] bool UsesDepthOnlyPass() const;
    bool FindOverride(const char* key, CColor& color) const;
    void FillView(const CColor& color, double depth, double halfWidth, double halfHeight);
    void DrawSplitView(const Gradient& gradient, bool skipDepthTest);

    CTarnisView& m_view;
    const CRenderingOptions* m_options;
};

// The drawing level after a slow interactive frame: level 8 drops to 6, then the
// first feature that is on (see-through or transparency above 5, shadows at 5,
// textures at 4) stops the fall; then one more step, or remembered + 1 when that is
// more than two below.
[[nodiscard]] int LowerDrawingLevel(int level, int requested, int remembered, double lastFrameSeconds,
                                    bool seeThroughOrTransparency, bool shadows, bool textures);
