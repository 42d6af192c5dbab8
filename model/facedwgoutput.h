#pragma once
// CFaceDwgOutput: a face tessellator that turns GLU's triangles into polyface records
// for an export sink, one record per GLU primitive. Indices are 16 bits wide, so a
// record never holds more points than a positive 16-bit index can name: a primitive
// with more is handed over in several records.

#include <cstdint>
#include <vector>

#include "foundation/color.h"
#include "model/facetesselator.h"

class CLayer;
class IExportSink;

class CFaceDwgOutput : public CFaceTesselator
{
public:
    static constexpr int kMaxRecordPoints = 32767;

    // The colour and layer are the face's as shown; maxPoints (at most 32767) bounds a
    // record's points.
    CFaceDwgOutput(IExportSink* sink, const CFace* face, int maxPoints = kMaxRecordPoints);
    ~CFaceDwgOutput() override;

    void Begin(unsigned int primitive) override;
    void EdgeFlag(bool boundary) override;
    void Vertex(const double* position) override;
    void End() override;

private:
    void AddTriangle();
    [[nodiscard]] int CountNewPoints() const;
    std::int16_t IndexOf(const CPoint3d& point);
    void Flush();

    IExportSink* m_sink;
    int m_maxPoints;
    int m_cornerCount = 0;
    bool m_edgeFlag = true;
    std::vector<CPoint3d> m_points;
    std::vector<std::int16_t> m_faceList;
    int m_triangleCount = 0;
    CColor m_color;
    CLayer* m_layer = nullptr;
    CPoint3d m_corners[3];
    bool m_cornerFlags[3] = {true, true, true};
};
