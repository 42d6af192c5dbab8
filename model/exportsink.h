#pragma once
// IExportSink: what an exporter offers the elements it asks for their geometry. A face
// hands over its triangles as polyface records of distinct points and 16-bit signed
// indices, with the colour and layer it is shown in; an edge its segment, or the chain
// of points of its arc.

#include <cstdint>
#include <vector>

#include "foundation/color.h"
#include "foundation/point3d.h"

class CLayer;
class CMaterial;

class IExportSink
{
public:
    virtual ~IExportSink() = default;

    [[nodiscard]] virtual bool AcceptsFaces() const = 0;
    // One record: the points (indices count from 1), and per triangle the count 3 and
    // three indices, negative where the edge to the next corner lies inside the face.
    virtual void AddPolyface(std::vector<CPoint3d> points, int triangleCount, std::vector<std::int16_t> faceList,
                             const CColor& color, CLayer* layer) = 0;
    // The material whose colour stands for faces without a plain colour of their own;
    // null for none.
    [[nodiscard]] virtual CMaterial* GetDefaultMaterial() const = 0;
    // A colour every element is exported in; 0 for none.
    [[nodiscard]] virtual CColor GetColorOverride() const { return CColor(); }

    [[nodiscard]] virtual bool AcceptsEdges() const { return false; }
    // A plain edge.
    virtual void AddSegment(const CPoint3d& /*start*/, const CPoint3d& /*end*/, const CColor& /*color*/,
                            CLayer* /*layer*/)
    {
    }
    // The points of an arc's chain of edges, in order.
    virtual void AddPolyline(std::vector<CPoint3d> /*points*/, const CColor& /*color*/, CLayer* /*layer*/) {}
};
