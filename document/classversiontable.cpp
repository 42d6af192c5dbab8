#include "document/versionmap.h"

#include <iterator>

namespace {

// Every model class with its record version in save formats 5000, 4000 and 3000.
// -1: the class did not exist yet in that format.
constexpr ClassVersionRow kClassVersions[] = {
    {"CArcCurve", 1, 1, 1},
    {"CAttribute", 0, 0, -1},
    {"CAttributeContainer", 0, 0, -1},
    {"CAttributeNamed", 0, 0, -1},
    {"CCamera", 4, 4, -1},
    {"CComponent", 11, 11, 11},
    {"CComponentBehavior", 4, 4, 3},
    {"CComponentDefinition", 10, 10, 10},
    {"CComponentInstance", 4, 3, 3},
    {"CConstructionGeometry", 0, 0, 0},
    {"CConstructionLine", 1, 1, 0},
    {"CConstructionPoint", 0, 0, 0},
    {"CCurve", 4, 4, 3},
    {"CDefinitionList", 0, 0, 0},
    {"CDib", 2, 2, 2},
    {"CDimension", 0, 0, 0},
    {"CDimensionLinear", 4, 4, 4},
    {"CDimensionRadial", 2, 2, 2},
    {"CDimensionStyle", 4, 4, 4},
    {"CDrawingElement", 9, 8, 8},
    {"CEdge", 2, 2, 2},
    {"CEdgeUse", 1, 1, 1},
    {"CEntity", 3, 3, 2},
    {"CFace", 3, 3, 3},
    {"CFaceTextureCoords", 4, 4, -1},
    {"CFontManager", 0, 0, 0},
    {"CGroup", 1, 1, 1},
    {"CImage", 1, 1, 1},
    {"CLayer", 2, 2, 1},
    {"CLayerManager", 4, 4, 4},
    {"CLoop", 1, 1, 1},
    {"CMaterial", 12, 12, 12},
    {"CMaterialManager", 4, 4, 4},
    {"CPageList", 1, 1, -1},
    {"CPolyline3d", 0, 0, 0},
    {"CRelationship", 0, 0, 0},
    {"CRelationshipMap", 0, 0, 0},
    {"CRenderingOptions", 28, 25, 22},
    {"CSectionPlane", 2, 2, 2},
    {"CShadowInfo", 7, 7, 7},
    {"CTwFont", 0, 0, 0},
    {"CTarnisCS", 0, 0, 0},
    {"CTarnwickModel", 12, 12, 10},
    {"CTarnwickPage", 1, 1, 1},
    {"CText", 9, 9, 9},
    {"CTextStyle", 4, 4, 4},
    {"CTexture", 4, 4, 4},
    {"CThumbnail", 1, 1, 0},
    {"CVertex", 0, 0, 0},
    {"CViewPage", 9, 9, 6},
    {"CWatermark", 1, 1, 1},
};

}  // namespace

const ClassVersionRow* GetClassVersionTable(int* count)
{
    *count = static_cast<int>(std::size(kClassVersions));
    return kClassVersions;
}
