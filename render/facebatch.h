#pragma once
// CFaceBatch: the view's face drawing. Faces hand their loops over one after the
// other; simple convex faces become triangle fans straight from their loop, faces
// with holes or concave outlines are cut into triangles once and keep them until they
// change (those that are not simple go through the GLU tessellator once, weighed first
// and left unfilled when it would cost too much; those that glued components cut into
// go through it at every draw), and the triangles
// of consecutive faces gather in one vertex array, with a normal and a colour per
// corner, drawn in one call when the batch is flushed. Colours therefore change
// between faces without a state change; lit and flat faces go in separate batches.
// The openings that glued components cut are holes in every style and in picking.
// Triangles wholly outside the view are left out when the batch is drawn, and a batch
// of alike triangles (one normal, one colour) draws those wholly inside first.

#include <cstdint>
#include <memory>
#include <unordered_map>
#include <vector>

#include "foundation/point3d.h"
#include "foundation/unitvector3d.h"
#include "foundation/point2d.h"
#include "model/facegl.h"
#include "model/keptfacetriangles.h"
#include "render/clipvolume.h"
#include "render/polygontriangulator.h"

struct GLUtesselator;
class CEdgeUse;
class CEntity;
class CFacePolygon;
class CLoop;
class CRelationship;
class CSmoothNormals;

class CFaceBatch : public IFaceGL
{
public:
    CFaceBatch();
    ~CFaceBatch() override;
    CFaceBatch(const CFaceBatch&) = delete;
    CFaceBatch& operator=(const CFaceBatch&) = delete;

    void AddFace(ITarnisView* view, CFace& face, const CColor& color, bool lit,
                 const CSmoothNormals* smooth = nullptr) override;
    void Flush(ITarnisView* view) override;
    void SetAlphaTest(ITarnisView* view, bool on) override;
    bool SetMirrored(ITarnisView* view, bool mirrored) override;

    // Forgets what it gathered of the model; the model may have changed since.
    void BeginFrame();
    [[nodiscard]] int GetPendingVertexCount() const { return static_cast<int>(m_corners); }

    // Called by the tessellator; a vertex is a position followed by its normal.
    void AddTessellatedVertex(const double* vertex);
    double* MakeCombinedVertex(const double coordinates[3], void* const neighbours[4], const float weights[4]);

private:
    // The relationships whose first end is the face (null when none): a face with
    // any is always tessellated, as a component may cut into it.
    [[nodiscard]] const std::vector<CRelationship*>* FindRelationships(const CFace& face);
    void AddFan(const CLoop& loop, int count);
    // Draws the face's kept triangles, cutting them first when it has none; false when
    // the face is not simple enough to be cut that way.
    [[nodiscard]] bool AddKeptTriangles(CFace& face);
    // The uses of the face's loops of three corners or more, one loop after the other.
    [[nodiscard]] bool GatherCorners(const CFace& face);
    // The gathered corners seen in the face's plane, counter-clockwise about its normal.
    void ProjectCorners(const CFace& face);
    void AddIndexedTriangles(const std::vector<std::uint32_t>& triangles,
                             const std::vector<CKeptFaceTriangles::SAddedCorner>& added);
    [[nodiscard]] bool MakeTessellator();
    // Cuts the gathered corners by the sweep once the corners that share a place are
    // moved apart: loops that only touch there keep their fill. Unsuited when none share
    // a place or the sweep still refuses them.
    [[nodiscard]] CPolygonTriangulator::EResult CutTouchingLoops();
    // A face the sweep cannot cut goes to GLU once, weighed first; its triangles (or,
    // past the bound, none) are kept like the sweep's.
    void TessellateKept(CFace& face);
    // The openings that glued components cut are found anew at every draw, so such a
    // face goes to GLU at every draw, weighed each time.
    void Tessellate(ITarnisView* view, const CFace& face);
    // Weighs what GLU would do with the gathered corners and the openings, charges the
    // frame for it and answers whether the face may go to GLU; says once why not.
    [[nodiscard]] bool IsTessellationAffordable(const CFace& face);
    // The outlines that the glued components shown in the view cut into the face, each
    // wound to cut it under the positive winding rule.
    void CollectOpenings(ITarnisView* view, const std::vector<CRelationship*>& relationships);
    // The index is the corner's among the gathered corners (the openings' following).
    void AddTessellatorVertex(const CPoint3d& position, const CUnitVector3d& normal, std::size_t index);
    // Whether the section planes must be cut in software: the GL clip planes are held
    // off (the stencil-shadow pass) or there are more planes than GL clip planes.
    [[nodiscard]] static bool ClipsInSoftware(ITarnisView* view);
    void AddClippedFace(ITarnisView* view, const CFace& face, const CColor& color, bool lit);
    void PushVertex(const double* position, const double* normal);
    // Makes the arrays hold at least this many corners; corners are written in place.
    void GrowTo(std::size_t corners);
    void WriteCorner(std::size_t at, const CEdgeUse& use);
    void CopyCorner(std::size_t to, std::size_t from);
    // Writes an added corner mixed from corners written from the base on.
    void MixCorner(std::size_t at, std::size_t base, const CKeptFaceTriangles::SAddedCorner& added);
    // Every corner of the batch has the same normal and colour.
    [[nodiscard]] bool IsShadedAlike() const;
    // The GL state lets alike triangles be drawn in any order.
    [[nodiscard]] static bool IsOrderFree();

    // The corners gathered are the first m_corners of the arrays; the rest is room.
    std::vector<float> m_positions;
    std::vector<float> m_normals;
    std::vector<std::uint8_t> m_colors;
    std::size_t m_corners = 0;
    bool m_lit = true;
    bool m_mirrored = false;
    // The face being added.
    float m_normal[3] = {0.0f, 0.0f, 1.0f};
    std::uint8_t m_color[4] = {0, 0, 0, 255};
    const CSmoothNormals* m_smooth = nullptr;
    const CEntity* m_relationshipsOf = nullptr;
    std::unordered_map<const CEntity*, std::vector<CRelationship*>> m_byFirstEnd;
    GLUtesselator* m_tessellator = nullptr;
    std::unique_ptr<CFacePolygon> m_clipped;
    // Position, normal and index of each corner handed to the tessellator.
    static constexpr std::size_t kRecordSize = 7;
    std::vector<double> m_loopPoints;
    // The entry GLU's triangles go to while a face's triangles are being kept.
    CKeptFaceTriangles::SEntry* m_recording = nullptr;
    // The openings' outlines one after the other, and where each ends.
    std::vector<CPoint3d> m_openingPoints;
    std::vector<std::size_t> m_openingEnds;
    std::vector<std::vector<double>> m_combined;
    CPolygonTriangulator m_triangulator;
    std::vector<const CEdgeUse*> m_cornerUses;
    std::vector<std::uint32_t> m_loopEnds;
    std::vector<CPoint2d> m_flatCorners;
    std::vector<CPoint2d> m_separated;
    std::vector<std::uint32_t> m_cut;
    CClipVolume m_volume;
};
