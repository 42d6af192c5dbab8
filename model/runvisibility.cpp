#include "model/runvisibility.h"

#include "drawapi/tarnisview.h"
#include "model/drawingelement.h"

bool CRunVisibility::IsHidden(const CDrawingElement& element)
{
    if (m_lightingHidden < 0) {
        m_lightingHidden = m_view->IsHiddenByLightingMode(&element) ? 1 : 0;
    }
    if (m_lightingHidden != 0) {
        return true;
    }
    if (!m_layerKnown || element.GetLayer() != m_layer) {
        m_layer = element.GetLayer();
        m_layerHidden = element.IsLayerHidden(m_view);
        m_layerKnown = true;
    }
    return m_layerHidden;
}
