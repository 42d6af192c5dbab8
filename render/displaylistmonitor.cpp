#include "render/displaylistmonitor.h"

#include <cstdint>

namespace {

const char* const kWatchedNames[] = {kLoadedComponentsChangedNotification, kComponentAddedNotification,
                                     kComponentRemovedNotification, kDeleteModelNotification,
                                     kRenderingOptionsChangeNotification};

// Rendering options whose change alters what a compiled list draws: render mode,
// transparency, textures, edges, edge colours, the two colours and options 10, 11,
// 15, 16 and 24.
bool ChangesDrawnGeometry(std::int32_t optionId)
{
    switch (optionId) {
    case 1: case 2: case 3: case 4: case 5: case 10: case 11: case 12: case 13: case 15: case 16: case 24:
        return true;
    default:
        return false;
    }
}

}  // namespace

CDisplayListMonitor::CDisplayListMonitor()
{
    for (const char* name : kWatchedNames) {
        GetNotificationCenter().AddObserver(name, this);
    }
}

CDisplayListMonitor::~CDisplayListMonitor()
{
    GetNotificationCenter().RemoveObserver(this);
}

void CDisplayListMonitor::OnOperationStarted(int code, int /*nameId*/)
{
    m_unchanged = true;
    if (code == 0) {
        m_inOperation = true;
    }
}

void CDisplayListMonitor::OnOperationCommitted(int code, int /*nameId*/, int /*flags*/)
{
    m_inOperation = false;
    if (code == 0) {
        m_valid = m_valid && m_unchanged;
    }
}

void CDisplayListMonitor::OnEntityCreated(CEntity*)
{
    m_unchanged = false;
}

void CDisplayListMonitor::OnEntityModified(CEntity*)
{
    m_unchanged = false;
}

void CDisplayListMonitor::OnEntityErased(CEntity*)
{
    m_unchanged = false;
}

void CDisplayListMonitor::OnEntityAdded(CEntity*, IEntityContainer*)
{
    m_unchanged = false;
}

void CDisplayListMonitor::OnEntityRemoved(CEntity*, IEntityContainer*)
{
    m_unchanged = false;
}

void CDisplayListMonitor::OnModelCleared(CTarnwickModel*)
{
    m_unchanged = false;
}

void CDisplayListMonitor::OnNotify(const std::string& name, void* data)
{
    if (!m_active) {
        return;
    }
    if (name == kRenderingOptionsChangeNotification) {
        if (data != nullptr && ChangesDrawnGeometry(*static_cast<const std::int32_t*>(data))) {
            m_valid = false;
        }
        return;
    }
    m_valid = false;
}

void CDisplayListMonitor::OnSelectionChanged(CSelectionSet*, int, CEntity*)
{
    m_valid = false;
}
