#pragma once
// Model files whose entity lists name faces and edges twice, made by the model's own
// writer: two unit squares side by side sharing an edge, each list holding the elements
// a test names. The writer writes the definition's list before the root's, so the root's
// entries are the later ones.

#include <initializer_list>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/tarnwickmodel.h"
#include "foundation/plane3d.h"
#include "model/edge.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/vertex.h"
#include "samplegen/modelfiles.h"

namespace twicelistedtest {

// The left square's face, the right square's, the edge they share, then the others.
enum Element
{
    kLeft,
    kRight,
    kShared,
    kLeftSouth,
    kLeftNorth,
    kLeftWest,
    kRightSouth,
    kRightEast,
    kRightNorth,
    kElementCount
};

inline constexpr std::initializer_list<Element> kBothSquares = {
    kLeft, kRight, kShared, kLeftSouth, kLeftNorth, kLeftWest, kRightSouth, kRightEast, kRightNorth};
inline constexpr std::initializer_list<Element> kLeftSquare = {kLeft, kShared, kLeftSouth, kLeftNorth, kLeftWest};

// The file of a model whose root and one definition list the given elements. With
// edgeMaterial the left square's south edge has a colour.
inline ModelBytes WriteTwoSquares(std::initializer_list<Element> root, std::initializer_list<Element> definition,
                                  bool edgeMaterial = false)
{
    auto* model = new CTarnwickModel;
    ModelBytes bytes;
    {
        const CurrentModelScope scope(model);
        const CUndoSuspender suspender;
        CComponent& rootComponent = *model->GetRootComponent();
        CVertex* corners[6];
        for (int i = 0; i < 6; ++i) {
            corners[i] = new CVertex(CPoint3d(i % 3, i / 3, 0));
        }
        const auto edge = [&](int a, int b) { return new CEdge(corners[a], corners[b], false); };
        CEdge* shared = edge(1, 4);
        CEdge* left[4] = {edge(0, 1), shared, edge(4, 3), edge(3, 0)};
        CEdge* right[4] = {edge(1, 2), edge(2, 5), edge(5, 4), shared};
        const CPlane3d plane(CPoint3d(), CVector3d(0, 0, 1));
        CDrawingElement* const elements[kElementCount] = {
            new CFace(4, left, plane), new CFace(4, right, plane), shared, left[0], left[2], left[3],
            right[0],                  right[1],                   right[2]};
        auto* owner = new CComponentDefinition;
        model->GetDefinitionList()->AddDefinition(owner, false);
        for (const Element element : root) {
            rootComponent.Add(elements[element]);
        }
        for (const Element element : definition) {
            owner->Add(elements[element]);
        }
        if (edgeMaterial) {
            left[0]->SetMaterial(model->GetMaterialManager()->FindOrCreateColorMaterial(CColor(255, 0, 0)));
        }
        bytes = WriteModelBytes(*model, kSaveFormat5000);
        // Every element once in the root again, so that the model lets each go once.
        for (CDrawingElement* element : elements) {
            while (rootComponent.Remove(element) || owner->Remove(element)) {
            }
            rootComponent.Add(element);
        }
    }
    model->Release();
    return bytes;
}

// The shapes a damaged file was found in: a root face that a definition's list names
// too; the mirror, a definition's face whose one edge the root names instead; and a
// definition naming a root face with its edges, one of them shared with another root face.
inline ModelBytes WriteRootFaceAlsoInADefinition()
{
    return WriteTwoSquares(kBothSquares, {kLeft});
}
inline ModelBytes WriteDefinitionFaceWithAnEdgeInTheRoot()
{
    return WriteTwoSquares({kLeftSouth}, {kLeft, kShared, kLeftNorth, kLeftWest});
}
inline ModelBytes WriteRootFaceAndItsEdgesAlsoInADefinition()
{
    return WriteTwoSquares(kBothSquares, kLeftSquare);
}

}  // namespace twicelistedtest
