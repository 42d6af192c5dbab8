#include "render/pickingservice.h"

namespace {

IPickingService* g_service = nullptr;

}  // namespace

void SetPickingService(IPickingService* service)
{
    g_service = service;
}

IPickingService* GetPickingService()
{
    return g_service;
}
