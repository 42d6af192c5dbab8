#pragma once
// CStencilShadows: the model pass of a frame while the sun casts shadows on faces.
// The model is drawn dark (ambient light only), the shadow volumes then count into
// the stencil buffer without touching colour or depth, and the model is drawn again
// in full sunlight wherever the stencil still holds the clear value, less the volumes
// that hold the eye. With the sun on or under the horizon the model is drawn once
// without the sun.
//
// The frame has cleared the stencil buffer to StencilClearValue and set its write
// mask before; every stencil, mask, depth and light state is back at its default
// when Draw returns.
//
// The volumes count either in one pass, each piece setting its own stencil operation,
// or, with single-pass volumes off, in two passes under face culling. The developer
// stencil snapshot saves the stencil picture of the volumes to a file in the temporary
// folder before the lit pass.

#include "platform/cstring.h"

class CComponent;
class CShadowInfo;
class CTarnisView;
struct ShadowVolumeContext;

class CStencilShadows
{
public:
    explicit CStencilShadows(CTarnisView& view);

    // seeThrough is the frame's see-through transparency mode.
    void Draw(CComponent& root, bool seeThrough);

    // The reference the lit pass compares with (the eye-inside count of the last Draw
    // taken off the clear value); for tests and the developer snapshot.
    [[nodiscard]] int GetLitReference() const { return m_litReference; }

    // Where the developer stencil snapshot goes.
    [[nodiscard]] static CString GetStencilSnapshotPath();

private:
    void DrawModel(CComponent& root);
    void DrawVolumes(CComponent& root, ShadowVolumeContext& context, CShadowInfo& info);

    CTarnisView& m_view;
    int m_litReference = 0;
};
