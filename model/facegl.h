#pragma once
// IFaceGL: the OpenGL side of face drawing. Faces decide which side the eye sees,
// its colour, material and pass; the view turns their loops into triangles and
// gathers them into one batch, so that runs of faces reach GL in one draw call with
// a colour per corner. Whoever changes GL state that the batch's triangles depend on
// (a transformation, a texture, a stipple) flushes it first. The view installs its
// implementation with SetFaceGL; until it does, faces draw nothing. User-interface
// thread only, with the view's context current.

#include "foundation/color.h"

class CFace;
class CSmoothNormals;
class ITarnisView;

class IFaceGL
{
public:
    virtual ~IFaceGL();

    // Adds the filled face in the colour, lit or flat, with the table's normal at each
    // corner when a table is given, else the face's normal. Faces without loops or with
    // fewer than three outer corners add nothing.
    virtual void AddFace(ITarnisView* view, CFace& face, const CColor& color, bool lit,
                         const CSmoothNormals* smooth = nullptr) = 0;
    // Draws and empties the batch with the GL state set now.
    virtual void Flush(ITarnisView* view) = 0;
    // Texels of alpha 0 are not drawn while on.
    virtual void SetAlphaTest(ITarnisView* view, bool on) = 0;
    // Front faces wind clockwise while mirrored (a mirroring transformation turns
    // their winding); answers the previous setting.
    virtual bool SetMirrored(ITarnisView* view, bool mirrored) = 0;
};

// Null removes the implementation; the caller keeps ownership.
void SetFaceGL(IFaceGL* faceGL);
[[nodiscard]] IFaceGL* GetFaceGL();
// Flushes the installed batch; nothing without one.
void FlushFaces(ITarnisView* view);
