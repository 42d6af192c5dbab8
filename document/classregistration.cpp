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
    RegisterModelRootClasses();
    RegisterDimensionsClasses();
    RegisterComponentsClasses();
    RegisterPagesClasses();
    RegisterClassVersionTable();
}
