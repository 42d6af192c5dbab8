#pragma once
// CTerminatorFaces: faces of a smooth surface along the line where it turns from the
// sun. Shaded with smooth normals such a face looks lit, yet the volumes of its
// neighbours, flat and faceted, put part of it in shadow: a saw-toothed edge along the
// terminator. The volume walk marks these faces (and the coplanar faces next to them)
// with a terminator class, and the lit pass draws a marked face also where it lies in
// as many volumes as its class.

class CFace;
class CPlane3d;
class CTransformation;
class ITarnisView;
struct CVector3d;

class CTerminatorFaces
{
public:
    // Class bits of a face's flags: 1 and 2 draw through that many volumes; 3 marks a
    // face whose terminator edge lies on its far side from the sun, drawn as usual.
    static constexpr unsigned kClassShift = 12;
    static constexpr unsigned kClassMask = 0x3000;

    // Marks a smooth face not yet marked this frame when its own side towards the sun
    // and that of a smooth neighbour (or of the smooth normals at the shared edge's ends)
    // differ. light runs from the sun in model space; transform may be null.
    static void Classify(CFace& face, const CTransformation* transform, const CVector3d& light);
    [[nodiscard]] static int GetClass(const CFace& face);

    // Draws the face in the lit pass, through its class's count of volumes. In hidden-line
    // display, where faces show no shading, a face across which the smooth shading turns
    // from the sun is drawn lit on one side of that line and dark on the other.
    static void Draw(ITarnisView* view, CFace& face);
    // The plane across the face along which its smooth normals (turned to the side the
    // eye sees) turn from the sun, its normal towards the dark side, in the face's own
    // coordinates, like light; false when they do not turn within the face.
    [[nodiscard]] static bool FindBoundary(ITarnisView* view, const CFace& face, const CVector3d& light,
                                           CPlane3d& boundary);

private:
    static void DrawAcrossBoundary(ITarnisView* view, CFace& face, const CPlane3d& boundary);
    static void Propagate(CFace& face, int terminatorClass, const CTransformation* transform, int depth);
};
