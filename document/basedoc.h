#pragma once
// CBaseDoc: the model-facing half of the application's document. It holds one model
// by value and is handed the document's tool manager (which lives above this layer),
// listens to the model's database events to keep the selection, the component caches,
// the section cuts and the shadow display data in step with committed changes, and
// listens to the rendering-options notifications.

#include <string>

#include "document/tarnwickmodel.h"
#include "foundation/notificationcenter.h"
#include "model/dblistener.h"

class IDocToolManager;

class CBaseDoc : public CDBListener, public IObserver
{
public:
    // Listens to the model's undo manager and to "Rendering Options Change" and
    // "ShadowNotification".
    CBaseDoc();
    // Stops listening, shuts the tool manager down and lets it go.
    ~CBaseDoc() override;

    CBaseDoc(const CBaseDoc&) = delete;
    CBaseDoc& operator=(const CBaseDoc&) = delete;

    [[nodiscard]] CTarnwickModel& GetModel() { return m_model; }
    [[nodiscard]] const CTarnwickModel& GetModel() const { return m_model; }

    // The document's tool manager (not owned; null detaches the current one). It hears
    // the model's database events before the document and watches the selection.
    void SetToolManager(IDocToolManager* toolManager);
    [[nodiscard]] IDocToolManager* GetToolManager() const { return m_toolManager; }

    // Makes the model and the tool manager current.
    virtual void Activate();
    // Empty here; the document updates its views.
    virtual void UpdateAllViews() {}
    // Resets the tools, empties the selection (the entities' selected bits stay) and
    // clears the model.
    virtual void DeleteContents();
    // Every active section plane drops its cached section cut.
    virtual void DeleteSectionCuts();
    // Toggles the section-cut display; cuts drop their caches when it comes on.
    void ToggleSectionCuts();
    // Toggles the section-plane display; when it goes off, selected planes leave the
    // selection.
    void ToggleSectionPlanes();

    // CDBListener
    void OnOperationStarted(int code, int nameId) override;
    void OnOperationCommitted(int code, int nameId, int flags) override;
    void OnEntityErased(CEntity* entity) override;
    void OnEntityRemoved(CEntity* entity, IEntityContainer* container) override;

    // IObserver
    void OnNotify(const std::string& name, void* data) override;

private:
    void ListenToUndoManager(bool listen);
    void RefreshTouchedComponents(int code, int flags);
    void FreeShadowDisplayData();

    CTarnwickModel m_model;
    IDocToolManager* m_toolManager = nullptr;
};
