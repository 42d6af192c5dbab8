#include "document/classregistration.h"

#include "document/facetexturecoords.h"
#include "document/texture.h"

void RegisterMaterialsClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CTexture));
    AfxRegisterClass(RUNTIME_CLASS(CFaceTextureCoords));
}
