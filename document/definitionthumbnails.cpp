#include "document/definitionthumbnails.h"

#include <new>
#include <unordered_set>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/definitionlist.h"
#include "document/thumbnail.h"
#include "model/undosuspender.h"

namespace {

DefinitionThumbnailRenderer g_renderer = nullptr;

}  // namespace

void SetDefinitionThumbnailRenderer(DefinitionThumbnailRenderer renderer)
{
    g_renderer = renderer;
}

DefinitionThumbnailRenderer GetDefinitionThumbnailRenderer()
{
    return g_renderer;
}

bool RenderDefinitionThumbnail(CTarnwickModel& model, CComponentDefinition& definition)
{
    auto* thumbnail = dynamic_cast<CThumbnail*>(definition.GetThumbnail());
    if (g_renderer == nullptr || thumbnail == nullptr) {
        return false;
    }
    CDib* picture = g_renderer(model, definition, thumbnail->GetCamera());
    if (picture == nullptr) {
        return false;
    }
    // A picture drawn from the geometry is no edit of the model.
    const CUndoSuspender suspender;
    thumbnail->SetImage(picture);
    return true;
}

void RenderWaitingThumbnails(CTarnwickModel& model, CComponent* root)
{
    // A hostile file may list a definition twice or inside itself: each is seen once.
    std::unordered_set<const CComponent*> seen;
    std::vector<CComponent*> pending{root};
    while (!pending.empty()) {
        CComponent* component = pending.back();
        pending.pop_back();
        if (component == nullptr || !seen.insert(component).second) {
            continue;
        }
        auto* definition = dynamic_cast<CComponentDefinition*>(component);
        if (definition != nullptr && definition->IsThumbnailWaiting()) {
            definition->SetThumbnailWaiting(false);
            try {
                (void)RenderDefinitionThumbnail(model, *definition);
            } catch (const std::bad_alloc&) {
                // The model was read whole; it only goes without this picture.
            }
        }
        const CDefinitionList* list = component->GetDefinitionList();
        const int count = list != nullptr ? list->GetCount() : 0;
        for (int i = 0; i < count; ++i) {
            pending.push_back(dynamic_cast<CComponent*>(list->GetAt(i)));
        }
    }
}
