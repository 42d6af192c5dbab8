// Feeds arbitrary bytes through the archive's readers: each step's first byte picks
// a reader (string, typed value, object reference, version map, version info).
#include "document/versionmap.h"
#include "foundation/typedvalue.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"
#include "platform/exceptions.h"
#include "platform/memfile.h"

#include <cstdint>
#include <set>

namespace {

void ReadOne(CArchive& ar, BYTE kind)
{
    switch (kind % 5) {
    case 0: (void)ArchiveReadString(ar); break;
    case 1: { orvell::utils::CTypedValue value; value.Read(ar); break; }
    case 2: (void)ar.ReadObject(nullptr); break;
    case 3: { CVersionMap map; map.Serialize(ar); (void)FileNeedsNewerVersion(&map); break; }
    default: { CVersionInfo info; info.Serialize(ar); break; }
    }
}

void DeleteReadObjects(const CArchive& ar)
{
    std::set<CObject*> seen;
    for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
        CObject* object = ar.GetLoadedObject(i);
        if (object && seen.insert(object).second) {
            delete object;
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static const bool registered = (RegisterClassVersionTable(), true);
    (void)registered;
    CMemFile file(data, static_cast<UINT>(size));
    CArchive ar(&file, CArchive::load);
    try {
        BYTE kind = 0;
        while (ar.GetRemainingBytes() > 0) {
            ar >> kind;
            ReadOne(ar, kind);
        }
    } catch (const CException&) {
    }
    DeleteReadObjects(ar);
    return 0;
}
