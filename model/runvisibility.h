#pragma once
// CRunVisibility: whether the elements of one drawing pass are hidden by the lighting
// mode or by their layer, asked of the view once for the pass and once for each change
// of layer along it, instead of once for every element.

class CDrawingElement;
class CLayer;
class ITarnisView;

class CRunVisibility
{
public:
    explicit CRunVisibility(ITarnisView* view) : m_view(view) {}

    // The elements of one pass are all of one kind, so the lighting mode answers the
    // first one for all of them.
    [[nodiscard]] bool IsHidden(const CDrawingElement& element);

private:
    ITarnisView* m_view;
    int m_lightingHidden = -1;
    const CLayer* m_layer = nullptr;
    bool m_layerKnown = false;
    bool m_layerHidden = false;
};
