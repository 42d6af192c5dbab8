#pragma once
// ITransparencySorter: what a component's sorted transparent pass hands its
// transparent faces, instances, groups and images to, so that they are drawn after
// the opaque model from back to front. The view makes one per pass
// (IModelView::CreateTransparencySorter) for the options' transparency quality.

class CDrawingElement;
class CFace;
class ITarnisView;

class ITransparencySorter
{
public:
    virtual ~ITransparencySorter() = default;

    // Exactly one of the two is given. A full sorter ignores further adds.
    virtual void Add(CFace* face, CDrawingElement* entity) = 0;
    // Draws everything added, farthest first.
    virtual void SortAndDraw(ITarnisView* view) = 0;
};
