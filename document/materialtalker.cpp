#include "document/materialtalker.h"

#include <algorithm>

namespace {

// Used on the user-interface thread only.
CMaterialTalker* g_talker = nullptr;

}  // namespace

IMaterialListener::~IMaterialListener() = default;
void IMaterialListener::OnMaterialAdded(CMaterial* /*material*/) {}
void IMaterialListener::OnMaterialRemoved(CMaterial* /*material*/) {}
void IMaterialListener::OnMaterialChangedInOperation(CMaterial* /*material*/) {}
void IMaterialListener::OnMaterialChanged(CMaterial* /*material*/) {}
void IMaterialListener::OnMaterialUseCountChanged(CMaterial* /*material*/) {}
void IMaterialListener::OnMaterialUpdated(CMaterial* /*material*/) {}
void IMaterialListener::OnCurrentMaterialChanged(CMaterial* /*material*/) {}
void IMaterialListener::OnMaterialsClearing(CMaterialManager* /*manager*/) {}
void IMaterialListener::OnLengthFormatChanged() {}
void IMaterialListener::OnMaterialsRefreshed() {}

CMaterialTalker::CMaterialTalker()
{
    GetNotificationCenter().AddObserver(kExitNotification, this);
}

CMaterialTalker::~CMaterialTalker()
{
    if (g_talker == this) {
        g_talker = nullptr;
    }
    GetNotificationCenter().RemoveObserver(this);
}

CMaterialTalker* GetMaterialTalker()
{
    if (g_talker == nullptr) {
        g_talker = new CMaterialTalker;
    }
    return g_talker;
}

void CMaterialTalker::AddListener(IMaterialListener* listener)
{
    if (listener != nullptr && std::find(m_listeners.begin(), m_listeners.end(), listener) == m_listeners.end()) {
        m_listeners.push_back(listener);
    }
}

void CMaterialTalker::RemoveListener(IMaterialListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void CMaterialTalker::Notify(CMaterial* material, MaterialEvent event)
{
    if (!m_enabled) {
        return;
    }
    // A listener may leave while it is told; the copy keeps the walk valid.
    const std::vector<IMaterialListener*> listeners = m_listeners;
    for (IMaterialListener* listener : listeners) {
        switch (event) {
        case kMaterialAdded:
            listener->OnMaterialAdded(material);
            break;
        case kMaterialRemoved:
            listener->OnMaterialRemoved(material);
            break;
        case kMaterialChanged:
            listener->OnMaterialChanged(material);
            break;
        case kCurrentMaterialChanged:
            listener->OnCurrentMaterialChanged(material);
            break;
        case kMaterialChangedInOperation:
            listener->OnMaterialChangedInOperation(material);
            break;
        case kMaterialUpdated:
            listener->OnMaterialUpdated(material);
            break;
        case kMaterialUseCountChanged:
            listener->OnMaterialUseCountChanged(material);
            break;
        case kMaterialLengthFormatChanged:
            listener->OnLengthFormatChanged();
            break;
        case kMaterialsRefreshed:
            listener->OnMaterialsRefreshed();
            break;
        }
    }
}

void CMaterialTalker::NotifyClearing(CMaterialManager* manager)
{
    const std::vector<IMaterialListener*> listeners = m_listeners;
    for (IMaterialListener* listener : listeners) {
        listener->OnMaterialsClearing(manager);
    }
}

void CMaterialTalker::OnNotify(const std::string& name, void* /*data*/)
{
    if (name == kExitNotification) {
        delete this;
    }
}
