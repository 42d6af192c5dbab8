#pragma once
// CSelectionSet: the document's selection, an entity set that tells its observers when
// members leave. Changes made while notifications are held (disabled, or inside a
// BeginChange / EndChange batch) are folded into one "changed" call when they are let
// through. Whoever adds a drawing element sets its selected bit; the removals clear it
// when asked.

#include <array>
#include <vector>

#include "model/entityset.h"

class CLayer;
class ISelectionObserver;

enum SelectionNotifyCode : int
{
    kSelectionRemoved = 1,
    kSelectionCleared = 2,
    kSelectionChanged = 3
};

class CSelectionSet : public CEntitySet
{
public:
    // Notifications start disabled: the owner enables them when it is ready.
    CSelectionSet() = default;
    CSelectionSet(const CSelectionSet&) = delete;
    CSelectionSet& operator=(const CSelectionSet&) = delete;
    ~CSelectionSet() override;

    // Appended unless already present; observers are called in the order added.
    void AddObserver(ISelectionObserver* observer);
    void RemoveObserver(ISelectionObserver* observer);
    [[nodiscard]] int GetObserverCount() const { return static_cast<int>(m_observers.size()); }

    // Held while disabled or in a batch (the change is then pending); otherwise every
    // observer hears it. An observer removed during the call is not called after.
    void Notify(int code, CEntity* entity);
    void DisableNotifications();
    // With sendPending a pending change is sent as one kSelectionChanged; the pending
    // mark is dropped in every case.
    void EnableNotifications(bool sendPending);
    [[nodiscard]] bool AreNotificationsEnabled() const { return m_enabled; }
    [[nodiscard]] bool IsChangePending() const { return m_changePending; }

    void BeginChange();
    // Ends the batch; a pending change goes out as one kSelectionChanged when
    // notifications are enabled. Resets the cache flags.
    void EndChange();
    [[nodiscard]] bool IsInBatch() const { return m_inBatch; }

    // Takes the entity out; with clearFlag its selected bit is cleared (also when it
    // was not a member). A member's removal is notified. True when it was a member.
    bool Remove(CEntity* entity, bool clearFlag);
    // Empties a non-empty selection (with clearFlags the members lose their selected
    // bit) and notifies kSelectionCleared; nothing is notified for an empty one.
    void Clear(bool clearFlags);
    // Sets or clears the selected bit of every member; no notification.
    void SetSelectedFlags(bool selected);
    // Takes out the members whose effective layer is the layer, clearing their
    // selected bit; one kSelectionChanged at the end when anything left.
    void RemoveOnLayer(const CLayer* layer);

    // State the selection's users cache about it; every removal, clearing and flag
    // update resets both.
    [[nodiscard]] bool GetCacheFlag(int index) const;
    void SetCacheFlag(int index, bool value);

private:
    void ResetCacheFlags() { m_cacheFlags = {false, false}; }
    // The pending change goes out as one kSelectionChanged; a change held again
    // (inside a batch) stays pending.
    void SendPending();

    std::vector<ISelectionObserver*> m_observers;
    bool m_enabled = false;
    bool m_changePending = false;
    bool m_inBatch = false;
    std::array<bool, 2> m_cacheFlags{false, false};
};
