#include "model/selectionset.h"

#include <algorithm>

#include "model/drawingelement.h"
#include "model/selectionobserver.h"

namespace {

void SetSelectedBit(CEntity* entity, bool selected)
{
    if (auto* element = dynamic_cast<CDrawingElement*>(entity)) {
        element->SetFlagBits(CDrawingElement::kFlagSelected, selected);
    }
}

}  // namespace

CSelectionSet::~CSelectionSet() = default;

void CSelectionSet::AddObserver(ISelectionObserver* observer)
{
    if (observer != nullptr && std::find(m_observers.begin(), m_observers.end(), observer) == m_observers.end()) {
        m_observers.push_back(observer);
    }
}

void CSelectionSet::RemoveObserver(ISelectionObserver* observer)
{
    const auto it = std::find(m_observers.begin(), m_observers.end(), observer);
    if (it != m_observers.end()) {
        m_observers.erase(it);
    }
}

void CSelectionSet::Notify(int code, CEntity* entity)
{
    if (!m_enabled || m_inBatch) {
        m_changePending = true;
        return;
    }
    // A copy, so that observers may add or remove observers while they are called;
    // one removed meanwhile is skipped, as it may be gone already.
    const std::vector<ISelectionObserver*> observers = m_observers;
    for (ISelectionObserver* observer : observers) {
        if (std::find(m_observers.begin(), m_observers.end(), observer) != m_observers.end()) {
            observer->OnSelectionChanged(this, code, entity);
        }
    }
}

void CSelectionSet::SendPending()
{
    m_changePending = false;
    Notify(kSelectionChanged, nullptr);
}

void CSelectionSet::DisableNotifications()
{
    m_enabled = false;
}

void CSelectionSet::EnableNotifications(bool sendPending)
{
    m_enabled = true;
    if (m_changePending && sendPending) {
        SendPending();
        return;
    }
    m_changePending = false;
}

void CSelectionSet::BeginChange()
{
    m_inBatch = true;
}

void CSelectionSet::EndChange()
{
    m_inBatch = false;
    if (m_changePending && m_enabled) {
        SendPending();
    }
    ResetCacheFlags();
}

bool CSelectionSet::Remove(CEntity* entity, bool clearFlag)
{
    const bool wasMember = CEntitySet::Remove(entity);
    if (clearFlag) {
        SetSelectedBit(entity, false);
    }
    if (wasMember) {
        Notify(kSelectionRemoved, entity);
    }
    ResetCacheFlags();
    return wasMember;
}

void CSelectionSet::Clear(bool clearFlags)
{
    if (!IsEmpty()) {
        if (clearFlags) {
            SetSelectedFlags(false);
        }
        RemoveAll();
        Notify(kSelectionCleared, nullptr);
    }
    ResetCacheFlags();
}

void CSelectionSet::SetSelectedFlags(bool selected)
{
    for (CEntity* entity : *this) {
        SetSelectedBit(entity, selected);
    }
    ResetCacheFlags();
}

void CSelectionSet::RemoveOnLayer(const CLayer* layer)
{
    if (IsEmpty()) {
        return;
    }
    // The state the owner chose is restored afterwards: a selection whose owner had
    // held its notifications keeps them held, with the change pending.
    const bool wasEnabled = m_enabled;
    DisableNotifications();
    std::vector<CEntity*> onLayer;
    for (CEntity* entity : *this) {
        const auto* element = dynamic_cast<const CDrawingElement*>(entity);
        if (element != nullptr && element->GetEffectiveLayer() == layer) {
            onLayer.push_back(entity);
        }
    }
    for (CEntity* entity : onLayer) {
        CEntitySet::Remove(entity);
        SetSelectedBit(entity, false);
        Notify(kSelectionRemoved, entity);
        ResetCacheFlags();
    }
    if (!wasEnabled) {
        return;
    }
    m_enabled = true;
    if (m_changePending) {
        SendPending();
    }
}

bool CSelectionSet::GetCacheFlag(int index) const
{
    return index >= 0 && index < static_cast<int>(m_cacheFlags.size()) && m_cacheFlags[static_cast<std::size_t>(index)];
}

void CSelectionSet::SetCacheFlag(int index, bool value)
{
    if (index >= 0 && index < static_cast<int>(m_cacheFlags.size())) {
        m_cacheFlags[static_cast<std::size_t>(index)] = value;
    }
}
