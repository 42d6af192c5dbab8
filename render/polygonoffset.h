#pragma once
// Small OpenGL state helpers of the drawing code: the polygon-offset stack that nested
// drawing saves and restores around faces drawn under their edges, ground shadows,
// overlays and text; the stencil values of the shadow pass; a developer dump of the
// stencil buffer; and the shadow-volume polygon.
//
// The polygon-offset stack is a global of the drawing thread.

#include "foundation/point3d.h"
#include "platform/cstring.h"

void SetPolygonOffset(bool enable, double factor, double units);
// Saves the current state; when the offset was off and is turned on, factor and units
// are each lowered by 1 so nested offsets stay below the outer ones.
void PushPolygonOffset(bool enable, double factor, double units);
// Restores the state saved by the matching push; an unmatched pop does nothing.
void PopPolygonOffset();
[[nodiscard]] int GetPolygonOffsetDepth();

// 127 for 8 stencil bits: the value the stencil buffer is cleared to for shadows.
[[nodiscard]] int StencilClearValue(int stencilBits);
// 255 for 8 stencil bits.
[[nodiscard]] int StencilMaskFromBits(int stencilBits);
// Writes the stencil buffer of the viewport as a 24-bit PNG picture, coloured around the
// reference value (or by value modulo 3 for reference 0), never through a link nor over
// a file that is not this user's own (CFile::WritePrivate). False when nothing was saved.
bool SaveStencilSnapshot(const CString& fileName, int reference);

struct CShadowVolumePolygon
{
    CPoint3d points[4];
    int count = 0;
};

// Appends unless the polygon is full or the point repeats the last one (within 0.001
// on every axis).
void AddVolumePoint(CShadowVolumePolygon& polygon, const CPoint3d& point);
