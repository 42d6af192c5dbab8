#include "foundation/notificationcenter.h"

#include <algorithm>

void CNotificationCenter::AddObserver(const std::string& name, IObserver* observer)
{
    m_observers[name].push_back(observer);
}

void CNotificationCenter::RemoveObserver(const std::string& name, IObserver* observer)
{
    const auto entry = m_observers.find(name);
    if (entry == m_observers.end()) {
        return;
    }
    RemoveFromList(entry->second, observer);
    if (m_walkDepth == 0 && entry->second.empty()) {
        m_observers.erase(entry);
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
    if (m_walkDepth == 0) {
        m_observers.clear();
        return;
    }
    for (auto& [name, list] : m_observers) {
        std::fill(list.begin(), list.end(), nullptr);
    }
    m_needsCompaction = true;
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
    ObserverList& list = entry->second;
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
    if (entry == m_observers.end()) {
        return 0;
    }
    return static_cast<int>(std::count_if(entry->second.begin(), entry->second.end(),
                                          [](const IObserver* observer) { return observer != nullptr; }));
}

void CNotificationCenter::RemoveEverywhere(IObserver* observer)
{
    for (auto entry = m_observers.begin(); entry != m_observers.end();) {
        RemoveFromList(entry->second, observer);
        if (m_walkDepth == 0 && entry->second.empty()) {
            entry = m_observers.erase(entry);
        } else {
            ++entry;
        }
    }
}

void CNotificationCenter::RemoveFromList(ObserverList& list, IObserver* observer)
{
    if (observer == nullptr) {
        return;
    }
    if (m_walkDepth == 0) {
        list.remove(observer);
        return;
    }
    for (IObserver*& slot : list) {
        if (slot == observer) {
            slot = nullptr;
            m_needsCompaction = true;
        }
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
    if (m_walkDepth == 0 && m_needsCompaction) {
        Compact();
    }
}

void CNotificationCenter::Compact()
{
    for (auto entry = m_observers.begin(); entry != m_observers.end();) {
        entry->second.remove(nullptr);
        if (entry->second.empty()) {
            entry = m_observers.erase(entry);
        } else {
            ++entry;
        }
    }
    m_needsCompaction = false;
}

CNotificationCenter& GetNotificationCenter()
{
    static CNotificationCenter center;
    return center;
}
