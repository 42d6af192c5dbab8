#include "foundation/notificationcenter.h"

#include <algorithm>

void CNotificationCenter::AddObserver(const std::string& name, IObserver* observer)
{
    const auto entry = m_observers.try_emplace(name).first;
    const auto slot = entry->second.observers.insert(entry->second.observers.end(), observer);
    ++entry->second.liveCount;
    m_registrations[observer].push_back({entry, slot});
}

void CNotificationCenter::RemoveObserver(const std::string& name, IObserver* observer)
{
    const auto entry = m_observers.find(name);
    const auto found = m_registrations.find(observer);
    if (entry == m_observers.end() || found == m_registrations.end()) {
        return;
    }
    std::vector<Registration>& registrations = found->second;
    const auto leaving = std::partition(registrations.begin(), registrations.end(),
                                        [&](const Registration& registration) { return registration.entry != entry; });
    // Taken out before unregistering: the last one may erase the entry compared with.
    const std::vector<Registration> removed(leaving, registrations.end());
    registrations.erase(leaving, registrations.end());
    if (registrations.empty()) {
        m_registrations.erase(found);
    }
    for (const Registration& registration : removed) {
        Unregister(registration);
    }
}

void CNotificationCenter::RemoveObserver(IObserver* observer)
{
    if (m_posting) {
        m_pendingRemovals.push_back(observer);
        return;
    }
    RemoveEverywhere(observer);
}

void CNotificationCenter::RemoveAllEntries()
{
    m_registrations.clear();
    if (m_walkDepth == 0) {
        m_observers.clear();
        return;
    }
    for (auto& [name, entry] : m_observers) {
        std::fill(entry.observers.begin(), entry.observers.end(), nullptr);
        entry.liveCount = 0;
    }
    m_sweepAll = true;
}

void CNotificationCenter::Post(const std::string& name, void* data)
{
    if (!m_enabled) {
        return;
    }
    m_posting = true;
    ++m_walkDepth;
    // Restores the centre's state even when an observer throws.
    struct EndOfPost
    {
        CNotificationCenter& center;
        ~EndOfPost()
        {
            --center.m_walkDepth;
            center.EndPost();
        }
    } endOfPost{*this};

    const auto entry = m_observers.find(name);
    if (entry == m_observers.end()) {
        return;
    }
    // end() is asked afresh each step, so observers appended meanwhile are called too.
    ObserverList& list = entry->second.observers;
    for (auto slot = list.begin(); slot != list.end(); ++slot) {
        if (*slot != nullptr) {
            (*slot)->OnNotify(name, data);
        }
    }
}

bool CNotificationCenter::HasEntry(const std::string& name) const
{
    return GetObserverCount(name) > 0;
}

int CNotificationCenter::GetObserverCount(const std::string& name) const
{
    const auto entry = m_observers.find(name);
    return entry == m_observers.end() ? 0 : entry->second.liveCount;
}

void CNotificationCenter::RemoveEverywhere(IObserver* observer)
{
    const auto found = m_registrations.find(observer);
    if (found == m_registrations.end()) {
        return;
    }
    const std::vector<Registration> registrations = std::move(found->second);
    m_registrations.erase(found);
    for (const Registration& registration : registrations) {
        Unregister(registration);
    }
}

void CNotificationCenter::Unregister(const Registration& registration)
{
    Entry& entry = registration.entry->second;
    --entry.liveCount;
    if (m_walkDepth > 0) {
        *registration.slot = nullptr;
        m_clearedSlots.push_back(registration);
        return;
    }
    entry.observers.erase(registration.slot);
    // Slots cleared during the walk just ended may still be queued for the sweep; the
    // entry goes only with its last node, and otherwise the sweep erases it.
    if (entry.observers.empty()) {
        m_observers.erase(registration.entry);
    }
}

void CNotificationCenter::EndPost()
{
    m_posting = false;
    if (!m_pendingRemovals.empty()) {
        std::vector<IObserver*> pending;
        pending.swap(m_pendingRemovals);
        for (IObserver* observer : pending) {
            RemoveEverywhere(observer);
        }
    }
    if (m_walkDepth == 0 && (m_sweepAll || !m_clearedSlots.empty())) {
        Compact();
    }
}

void CNotificationCenter::Compact()
{
    if (m_sweepAll) {
        for (auto& [name, entry] : m_observers) {
            entry.observers.remove(nullptr);
        }
    } else {
        for (const Registration& registration : m_clearedSlots) {
            registration.entry->second.observers.erase(registration.slot);
        }
    }
    m_clearedSlots.clear();
    m_sweepAll = false;
    // The names are few; the observers under them may be many.
    std::erase_if(m_observers, [](const auto& named) { return named.second.observers.empty(); });
}

CNotificationCenter& GetNotificationCenter()
{
    static CNotificationCenter center;
    return center;
}
