#pragma once
// ShadowVolumeContext: the state of one frame's stencil-shadow pass that the volume
// walk reads and fills: the light, the floor the volumes are extruded down to, the
// camera, which stencil rule the volumes follow (depth-pass, or depth-fail when the
// eye may stand in a shadow), and how many volumes hold the eye. Beside it, the
// geometric pieces the volumes are built from and the planar matrix that flattens
// geometry onto a plane along the light.
//
// The context lives for one frame on the stack; when it ends it gives the section
// planes' clip-plane suppression back the state it found.

#include <vector>

#include "foundation/line3d.h"
#include "foundation/plane3d.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"

class CShadowInfo;
class ITarnisView;

struct ShadowVolumeContext
{
    ShadowVolumeContext();
    ~ShadowVolumeContext();
    ShadowVolumeContext(const ShadowVolumeContext&) = delete;
    ShadowVolumeContext& operator=(const ShadowVolumeContext&) = delete;

    // light must be set first (the unit direction the sunlight travels).
    void Init(ITarnisView* view, CShadowInfo* info, bool eightStencilBits, bool seeThrough, bool eyeAboveGround);
    // The lighter set-up of the ground shadows: light, camera, and whether shadows fall
    // on the ground (also while shadows are displayed and the flag is set).
    void InitForGround(ITarnisView* view, CShadowInfo* info, bool flag);
    // From the eye towards the sun.
    [[nodiscard]] CLine3d GetEyeToSunRay() const;

    CShadowInfo* shadowInfo = nullptr;
    CVector3d light{0.0, 0.0, -1.0};
    CPlane3d floor{0.0, 0.0, 1.0, 1.0};
    CPoint3d eye;
    CVector3d viewDirection{0.0, 0.0, -1.0};
    double nearDistance = 0.0;
    bool perspective = true;
    bool ground = false;
    bool volumesEnabled = false;
    bool fromEdges = false;
    bool countEyeInside = false;
    int eyeInsideCount = 0;
    bool zFail = false;
    // The developer switches the volumes read, as they stood when the context was made.
    bool singlePass = true;
    bool eliminateNonProfileEdges = true;
    bool transparentCanCast = true;
    // Asks a casting face for its cap at once (with the face-me fix); set while the walk
    // is inside an instance whose definition faces the camera.
    bool faceMeShadowClass = false;
    // Two-pass volumes: lone edges hand their segments to the shadow information's list,
    // which the pass turns into slabs, instead of drawing them.
    bool collectEdges = false;
    // The volumes go into the shadow information's second display list while drawn.
    bool compiling = false;

private:
    void SetCamera(ITarnisView* view);
    bool m_savedSuppression = false;
};

// The stencil operations of a volume piece: depth-pass counts up where the eye sees the
// front of a volume and down at its back; depth-fail counts behind the scene instead.
void SetShadowVolumeStencilOp(const ShadowVolumeContext& context, bool facesEye);

// Appends start, projected start, projected end, end (projected along the light onto
// the plane) to the four points; false, nothing appended, when a line misses the plane.
bool AddExtrudedQuad(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                     CPoint3d quad[4]);

// Keeps the part of the segment on or above the plane (0.001 below counts as on it);
// false when both ends lie below.
bool ClipSegmentAbovePlane(CPoint3d& a, CPoint3d& b, const CPlane3d& plane);

// The plane through the edge that holds the light direction, turned so that the camera
// lies on its negative side; direction is the eye's line towards the edge. False when
// the edge runs along the light or the eye lies in the plane.
bool GetEdgeSidePlane(const CPoint3d& a, const CPoint3d& b, const ShadowVolumeContext& context, CPlane3d& plane,
                      CVector3d& direction);

// The closed slab a lone edge casts: a quad of the given half-width across the light
// through the edge, its projection along the light onto the plane, and the four sides
// between them, each wound to face out of the slab. Polygon offset stays off meanwhile.
// False when a line along the light misses the plane.
bool DrawEdgeShadowQuad(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                        double halfWidth);
// The same vertices into quads the caller has opened (GL_QUADS).
bool EmitEdgeShadowQuad(const CPoint3d& start, const CPoint3d& end, const CVector3d& light, const CPlane3d& plane,
                        double halfWidth);
// A slab for each segment (two points a record) of the list, one pixel wide at its middle.
void DrawCachedEdgeShadows(ITarnisView* view, const std::vector<CPoint3d>& segments, const CVector3d& light,
                           const CPlane3d& plane);

// Column-major matrix that flattens geometry onto the plane along the light: w 0 for a
// direction, 1 for a point light.
void MakePlanarShadowMatrix(const CPlane3d& plane, const CVector3d& light, double w, double matrix[16]);
