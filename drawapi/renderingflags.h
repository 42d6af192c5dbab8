#pragma once
// Switches between alternative drawing techniques of the stencil shadows, the face and
// edge drawing and the polygon offset. They are fixed settings of the program, kept in
// one place; only the shadow-volume method changes at run time: the OpenGL settings
// set it and store it, but every start resets it to 0 (never the depth-fail method)
// without reading the stored value. User-interface thread only.

namespace renderingflags {

inline bool OptimizeComponents = true;
inline bool SinglePassVolumes = true;
inline bool DrawGeometry = true;
inline bool UseClipPlanes = true;
inline bool EliminateNonProfileEdges = true;
inline bool TransparentCanCast = true;
inline bool UsePolygonOffset = true;
inline bool FixFaceMeShadows = true;
inline bool DrawSelectedFaceVolumes = false;
inline bool FixSmoothEdgePopping = false;
inline bool DrawVolumeOutlines = false;
inline bool StencilSnapshot = false;
inline bool VolumeCulling = false;

// How the shadow volumes' stencil operations treat an eye inside a volume.
enum ShadowVolumeMethodValue
{
    kCarmackReverseNever = 0,
    kCarmackReverseAlways = 1,
    kCarmackReverseWhenInside = 2,
};
inline int ShadowVolumeMethod = kCarmackReverseNever;

}  // namespace renderingflags
