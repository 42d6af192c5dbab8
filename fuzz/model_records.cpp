// Reads arbitrary bytes as model records: the first byte picks a record kind, read
// in place as its class's own record, or any registered class through an object
// reference. Records own one another (faces their loops, loops their uses), so what
// a broken read leaves behind is not freed here: this target looks for crashes and
// undefined behaviour, and runs without leak detection for short bounded times.
#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/memfile.h"

#include <cstdint>

namespace {

constexpr const char* kRecordKinds[] = {
    "CVertex", "CEdge", "CEdgeUse", "CLoop", "CFace", "CCurve", "CArcCurve", "CDrawingElement",
    "CAttributeContainer", "CAttributeNamed", "CRelationship", "CRelationshipMap", "CLayer",
    "CLayerManager", "CMaterial", "CMaterialManager",
};
constexpr size_t kKindCount = sizeof(kRecordKinds) / sizeof(kRecordKinds[0]);

}  // namespace

extern "C" const char* __asan_default_options()
{
    return "detect_leaks=0";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static CTarnwickModel* model = [] {
        RegisterModelClasses();
        auto* made = new CTarnwickModel;
        SetCurrentModel(made);
        return made;
    }();
    (void)model;
    if (size < 1) {
        return 0;
    }
    const CUndoSuspender suspender;
    CMemFile file(data + 1, static_cast<UINT>(size - 1));
    CArchive ar(&file, CArchive::load);
    try {
        if (data[0] >= kKindCount) {
            (void)ar.ReadObject(nullptr);
        } else {
            CObject* record = CRuntimeClass::FromName(kRecordKinds[data[0]])->CreateObject();
            record->Serialize(ar);
        }
    } catch (const CException&) {
    }
    return 0;
}
