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
DefinitionThumbnailBatch g_batch = nullptr;

// Tells the renderer that a run of pictures begins, and that it ended also when a
// picture throws.
class CBatchScope
{
public:
    CBatchScope()
    {
        if (g_batch != nullptr) {
            g_batch(true);
        }
    }
    ~CBatchScope()
    {
        if (g_batch != nullptr) {
            g_batch(false);
        }
    }
    CBatchScope(const CBatchScope&) = delete;
    CBatchScope& operator=(const CBatchScope&) = delete;
};

void RenderWaiting(CTarnwickModel& model, CComponentDefinition& definition)
{
    definition.SetThumbnailWaiting(false);
    try {
        (void)RenderDefinitionThumbnail(model, definition);
    } catch (const std::bad_alloc&) {
        // The model stays whole; it only goes without this picture.
    }
}

}  // namespace

void SetDefinitionThumbnailRenderer(DefinitionThumbnailRenderer renderer, DefinitionThumbnailBatch batch)
{
    g_renderer = renderer;
    g_batch = renderer != nullptr ? batch : nullptr;
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

CDib* GetDefinitionPicture(CTarnwickModel& model, CComponentDefinition& definition)
{
    if (definition.IsThumbnailWaiting() && g_renderer != nullptr) {
        RenderWaiting(model, definition);
    }
    const auto* thumbnail = dynamic_cast<const CThumbnail*>(definition.GetThumbnail());
    return thumbnail != nullptr ? thumbnail->GetImage() : nullptr;
}

void RenderWaitingThumbnails(CTarnwickModel& model, CComponent* root)
{
    if (g_renderer == nullptr) {
        return;
    }
    // A hostile file may list a definition twice or inside itself: each is seen once.
    std::unordered_set<const CComponent*> seen;
    std::vector<CComponent*> pending{root};
    std::vector<CComponentDefinition*> waiting;
    while (!pending.empty()) {
        CComponent* component = pending.back();
        pending.pop_back();
        if (component == nullptr || !seen.insert(component).second) {
            continue;
        }
        auto* definition = dynamic_cast<CComponentDefinition*>(component);
        if (definition != nullptr && definition->IsThumbnailWaiting()) {
            waiting.push_back(definition);
        }
        const CDefinitionList* list = component->GetDefinitionList();
        const int count = list != nullptr ? list->GetCount() : 0;
        for (int i = 0; i < count; ++i) {
            pending.push_back(dynamic_cast<CComponent*>(list->GetAt(i)));
        }
    }
    if (waiting.empty()) {
        return;
    }
    const CBatchScope batch;
    for (CComponentDefinition* definition : waiting) {
        RenderWaiting(model, *definition);
    }
}
