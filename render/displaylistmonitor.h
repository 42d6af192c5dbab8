#pragma once
// CDisplayListMonitor: tells whether compiled display lists still show the model: the
// valid flag drops when a committed operation touched entities, when components are
// loaded, added or removed, when the model goes, when the selection changes, or when a
// rendering option that changes drawn geometry or colours changes. Within an operation
// the flag changes only when it ends, so many entity events cost one update.
//
// The view that owns one connects it to its model's undo manager, the notification
// centre and the selection. User-interface thread only.

#include <string>

#include "foundation/notificationcenter.h"
#include "model/dblistener.h"
#include "model/selectionobserver.h"

class CDisplayListMonitor : public CDBListener, public IObserver, public ISelectionObserver
{
public:
    // Listens to the notification centre for the names it acts on.
    CDisplayListMonitor();
    ~CDisplayListMonitor() override;

    CDisplayListMonitor(const CDisplayListMonitor&) = delete;
    CDisplayListMonitor& operator=(const CDisplayListMonitor&) = delete;

    [[nodiscard]] bool IsValid() const { return m_valid; }
    void SetValid(bool valid) { m_valid = valid; }
    void SetActive(bool active) { m_active = active; }

    void OnOperationStarted(int code, int nameId) override;
    void OnOperationCommitted(int code, int nameId, int flags) override;
    void OnEntityCreated(CEntity* entity) override;
    void OnEntityModified(CEntity* entity) override;
    void OnEntityErased(CEntity* entity) override;
    void OnEntityAdded(CEntity* entity, IEntityContainer* container) override;
    void OnEntityRemoved(CEntity* entity, IEntityContainer* container) override;
    void OnModelCleared(CTarnwickModel* model) override;

    void OnNotify(const std::string& name, void* data) override;
    void OnSelectionChanged(CSelectionSet* selection, int code, CEntity* entity) override;

private:
    bool m_active = true;
    bool m_valid = false;
    bool m_inOperation = false;
    bool m_unchanged = false;
};
