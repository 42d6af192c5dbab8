#include "document/classregistration.h"

#include "document/axisoptions.h"
#include "document/camera.h"
#include "document/componentbehavior.h"
#include "document/namedoptions.h"
#include "document/optionsmanager.h"
#include "document/pageoptions.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/slideshowoptions.h"
#include "document/thumbnail.h"
#include "document/unitsoptions.h"

namespace {

template <typename Provider>
void RegisterProviderOnce()
{
    if (GetOptionsProviderPrototype(CString(Provider::kName)) == nullptr) {
        RegisterOptionsProvider(new Provider);
    }
}

}  // namespace

void RegisterSettingsClasses()
{
    AfxRegisterClass(RUNTIME_CLASS(CCamera));
    AfxRegisterClass(RUNTIME_CLASS(CComponentBehavior));
    AfxRegisterClass(RUNTIME_CLASS(CRenderingOptions));
    AfxRegisterClass(RUNTIME_CLASS(CShadowInfo));
    AfxRegisterClass(RUNTIME_CLASS(CThumbnail));
    RegisterProviderOnce<CUnitsOptions>();
    RegisterProviderOnce<CAxisOptions>();
    RegisterProviderOnce<CNamedOptions>();
    RegisterProviderOnce<CPageOptions>();
    RegisterProviderOnce<CSlideshowOptions>();
}
