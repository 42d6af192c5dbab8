// Reads arbitrary bytes as model records: the first byte picks a record kind, read
// in place as its class's own record, or any registered class through an object
// reference. Entity destructors release nothing (entities end through Erase), so
// every object the archive made is deleted once, whatever the read left it holding;
// what entities make for themselves is not tracked, so leaks are not reported.
#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/memfile.h"

#include <cstdint>
#include <set>

namespace {

constexpr const char* kRecordKinds[] = {
    "CVertex", "CEdge", "CEdgeUse", "CLoop", "CFace", "CCurve", "CArcCurve", "CDrawingElement",
    "CAttributeContainer", "CAttributeNamed", "CRelationship", "CRelationshipMap", "CLayer",
    "CLayerManager", "CMaterial", "CMaterialManager",
};
constexpr size_t kKindCount = sizeof(kRecordKinds) / sizeof(kRecordKinds[0]);

void DeleteReadObjects(const CArchive& ar, CObject* direct)
{
    std::set<CObject*> seen{direct};
    for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
        CObject* object = ar.GetLoadedObject(i);
        if (object && seen.insert(object).second) {
            delete object;
        }
    }
    delete direct;
}

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
    CObject* direct = nullptr;
    try {
        if (data[0] >= kKindCount) {
            (void)ar.ReadObject(nullptr);
        } else {
            direct = CRuntimeClass::FromName(kRecordKinds[data[0]])->CreateObject();
            direct->Serialize(ar);
        }
    } catch (const CException&) {
    }
    DeleteReadObjects(ar, direct);
    return 0;
}
