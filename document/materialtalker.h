#pragma once
// CMaterialTalker: tells material listeners what happens to materials: added, removed,
// the current material changed, a use count changed, the length format changed. One
// talker exists, made on first use; it ends itself with "Exit Notification".

#include <cstdint>
#include <string>
#include <vector>

#include "foundation/notificationcenter.h"

class CMaterial;
class CMaterialManager;

// Events of CMaterialTalker::Notify.
enum MaterialEvent : std::int32_t
{
    kMaterialAdded = 0,
    kMaterialRemoved = 1,
    kMaterialChanged = 2,
    kCurrentMaterialChanged = 3,
    kMaterialChangedInOperation = 4,
    kMaterialUpdated = 5,
    kMaterialUseCountChanged = 6,
    kMaterialLengthFormatChanged = 7,
    kMaterialsRefreshed = 8,
};

// Every operation does nothing unless overridden.
class IMaterialListener
{
public:
    virtual ~IMaterialListener();
    virtual void OnMaterialAdded(CMaterial* material);
    virtual void OnMaterialRemoved(CMaterial* material);
    virtual void OnMaterialChangedInOperation(CMaterial* material);
    virtual void OnMaterialChanged(CMaterial* material);
    virtual void OnMaterialUseCountChanged(CMaterial* material);
    virtual void OnMaterialUpdated(CMaterial* material);
    virtual void OnCurrentMaterialChanged(CMaterial* material);
    // All materials of the model's manager are about to be erased.
    virtual void OnMaterialsClearing(CMaterialManager* manager);
    virtual void OnLengthFormatChanged();
    virtual void OnMaterialsRefreshed();
};

class CMaterialTalker : public IObserver
{
public:
    CMaterialTalker();
    // Forgets the global talker and leaves the notification centre.
    ~CMaterialTalker() override;
    CMaterialTalker(const CMaterialTalker&) = delete;
    CMaterialTalker& operator=(const CMaterialTalker&) = delete;

    // Listeners are not owned; each is held once.
    void AddListener(IMaterialListener* listener);
    void RemoveListener(IMaterialListener* listener);
    void SetEnabled(bool enabled) { m_enabled = enabled; }
    [[nodiscard]] bool IsEnabled() const { return m_enabled; }

    // Calls every listener's operation for the event, in order; nothing while disabled.
    void Notify(CMaterial* material, MaterialEvent event);
    void NotifyClearing(CMaterialManager* manager);

    // "Exit Notification" deletes the talker.
    void OnNotify(const std::string& name, void* data) override;

private:
    std::vector<IMaterialListener*> m_listeners;
    bool m_enabled = true;
};

// The one talker, made on first use (again after "Exit Notification").
[[nodiscard]] CMaterialTalker* GetMaterialTalker();
