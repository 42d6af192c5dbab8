// Reads arbitrary bytes as model records: the first byte picks a record kind, read
// in place as its class's own record, or any registered class through an object
// reference. Every object the read made is then deleted exactly once by a load
// session (the archive's objects, the record's own object and the helpers the
// components among them made), whatever the read left them holding, and the current
// model is emptied, so leaks are reported.
#include "document/classregistration.h"
#include "document/loadsession.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/memfile.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

#include <cstdint>

namespace {

constexpr const char* kRecordKinds[] = {
    // topology and entities
    "CVertex", "CEdge", "CEdgeUse", "CLoop", "CFace", "CCurve", "CArcCurve", "CDrawingElement",
    "CAttributeContainer", "CAttributeNamed", "CRelationship", "CRelationshipMap",
    // layers and materials
    "CLayer", "CLayerManager", "CMaterial", "CMaterialManager", "CTexture", "CFaceTextureCoords",
    // settings
    "CComponentBehavior", "CRenderingOptions", "CShadowInfo", "CCamera", "CThumbnail",
    // annotations
    "CDimensionStyle", "CTextStyle", "CText", "CDimensionLinear", "CDimensionRadial", "CConstructionPoint",
    "CConstructionLine", "CPolyline3d", "CSectionPlane", "CWatermark",
    // components
    "CComponent", "CComponentDefinition", "CComponentInstance", "CGroup", "CImage", "CDefinitionList",
    "CTarnisCS", "CFontManager", "CTwFont",
    // pages
    "CTarnwickPage", "CViewPage", "CPageList",
};
constexpr size_t kKindCount = sizeof(kRecordKinds) / sizeof(kRecordKinds[0]);

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CSettingsStore settings{CString()};
    static CTarnwickModel* model = [] {
        SetProfileStore(&settings);
        WriteProfileBool("Undo", "Logging", false);
        RegisterModelClasses();
        auto* made = new CTarnwickModel;
        SetCurrentModel(made);
        return made;
    }();
    if (size < 1) {
        return 0;
    }
    const CUndoSuspender suspender;
    CMemFile file(data + 1, static_cast<UINT>(size - 1));
    CArchive ar(&file, CArchive::load);
    {
        // Records may hand what they read to the current model (fonts of old component
        // records): the session makes it forget those before deleting them.
        CLoadSession session(model, ar);
        try {
            if (data[0] >= kKindCount) {
                (void)ar.ReadObject(nullptr);
            } else {
                const CRuntimeClass* cls = CRuntimeClass::FromName(kRecordKinds[data[0]]);
                if (cls == nullptr || cls->m_pfnCreateObject == nullptr) {
                    return 0;
                }
                CObject* direct = cls->CreateObject();
                session.AddHelper(direct);
                direct->Serialize(ar);
            }
        } catch (const CException&) {
        }
        // Deletes, whether or not the read finished: nothing here hands objects on.
        session.Discard();
    }
    return 0;
}
