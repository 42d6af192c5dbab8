#pragma once
// CFaceBatch: the view's face drawing. Faces hand their loops over one after the
// other; simple convex faces become triangle fans straight from their loop, faces
// with holes or concave outlines are cut into triangles once (CFaceCut, which also
// resolves loops that touch or cross) and keep them until they change (one too costly
// to resolve keeps that it is left unfilled; those that glued components cut into keep
// them with the openings they were cut with), and the triangles
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
#include "render/equallayers.h"
#include "render/facecut.h"
#include "render/polygontriangulator.h"

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

private:
    // The relationships whose first end is the face (null when none): a face with
    // any is cut with the openings the components glued to it cut.
    [[nodiscard]] const std::vector<CRelationship*>* FindRelationships(const CFace& face);
    void AddFan(const CLoop& loop, int count);
    // Draws the face's kept triangles, cutting them first when it has none; false when
    // the face has no loop of three corners or more.
    [[nodiscard]] bool AddKeptTriangles(CFace& face);
    // The uses of the face's loops of three corners or more, one loop after the other.
    [[nodiscard]] bool GatherCorners(const CFace& face);
    // The gathered corners seen in the face's plane, counter-clockwise about its normal.
    void ProjectCorners(const CFace& face);
    void AddIndexedTriangles(const std::vector<std::uint32_t>& triangles,
                             const std::vector<CKeptFaceTriangles::SAddedCorner>& added);
    // The openings that glued components cut are found anew at every draw; the face is
    // cut again only when they differ from those its kept cut was made with.
    void CutWithOpenings(ITarnisView* view, CFace& face);
    void AddCutWithOpenings(CFace& face);
    [[nodiscard]] bool KeptWithTheseOpenings(const CKeptFaceTriangles::SEntry& kept) const;
    // The outlines that the glued components shown in the view cut into the face, each
    // wound to cut it under the positive winding rule.
    void CollectOpenings(ITarnisView* view, const std::vector<CRelationship*>& relationships);
    // Whether the section planes must be cut in software: the GL clip planes are held
    // off (the stencil-shadow pass) or there are more planes than GL clip planes.
    [[nodiscard]] static bool ClipsInSoftware(ITarnisView* view);
    void AddClippedFace(ITarnisView* view, const CFace& face, const CColor& color, bool lit);
    // Makes the arrays hold at least this many corners; corners are written in place.
    void GrowTo(std::size_t corners);
    void WriteCorner(std::size_t at, const CEdgeUse& use);
    // A corner of an opening: the face's normal and colour.
    void WritePoint(std::size_t at, const CPoint3d& position);
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
    std::unique_ptr<CFacePolygon> m_clipped;
    // The openings' outlines one after the other, and where each ends.
    std::vector<CPoint3d> m_openingPoints;
    std::vector<std::size_t> m_openingEnds;
    CFaceCut m_cut;
    std::vector<const CEdgeUse*> m_cornerUses;
    std::vector<std::uint32_t> m_loopEnds;
    std::vector<CPoint2d> m_flatCorners;
    CClipVolume m_volume;
    CEqualLayers m_layers;
};
