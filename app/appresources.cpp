#include "app/appresources.h"

// Generated from app/resources/resources.manifest.
void RegisterResources_glimra_app();

void RegisterAppResources()
{
    RegisterResources_glimra_app();
}
