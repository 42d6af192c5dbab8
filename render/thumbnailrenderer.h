#pragma once
// CThumbnailRenderer: draws the picture of one component definition (its own entities,
// not the model around it) from a thumbnail's camera moved back until the definition's
// bounds fill the picture. It draws with a context of its own on a small framebuffer,
// since no window need exist yet while a model is opened, and forgets every texture and
// display list it made once the picture is read: they go with that context. The caller's
// context is current again afterwards. A run of pictures (the waiting ones of a model being saved) shares one
// context, made when the run begins and gone when it ends.
//
// User-interface thread only.

class CCamera;
class CComponentDefinition;
class CDib;
class CTarnwickModel;

class CThumbnailRenderer
{
public:
    // The longer side of a picture, in pixels.
    static constexpr int kSide = 128;

    // A 32-bit stored picture, kSide pixels square; null when the definition has no
    // extent or no OpenGL context can be made.
    [[nodiscard]] static CDib* Render(CTarnwickModel& model, CComponentDefinition& definition, const CCamera& camera);
    // The camera with its direction, up and projection, placed so that the bounds'
    // sphere fills the picture. False when the bounds are empty.
    [[nodiscard]] static bool FitCamera(const CCamera& camera, const CComponentDefinition& definition,
                                        CCamera& fitted);

    // Lets the model render its definitions' pictures through this renderer.
    static void Install();
};
