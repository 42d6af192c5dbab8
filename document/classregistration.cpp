#include "document/classregistration.h"

#include "document/versionmap.h"

void RegisterModelClasses()
{
    RegisterEntityClasses();
    RegisterUndoClasses();
    RegisterAttributesClasses();
    RegisterTopologyClasses();
    RegisterCurvesClasses();
    RegisterImagesClasses();
    RegisterConstructionClasses();
    RegisterMaterialsClasses();
    RegisterSettingsClasses();
    RegisterDimensionsClasses();
    RegisterComponentsClasses();
    RegisterClassVersionTable();
}
