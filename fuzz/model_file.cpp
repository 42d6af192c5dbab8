// Reads arbitrary bytes as a model file through the document's own entry point. A
// read that fails frees everything it made (its load session), so leaks are reported.
#include "document/basedoc.h"
#include "document/classregistration.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Settings in memory with the undo log off, so that no input writes files.
    static CSettingsStore settings{CString()};
    static const bool ready = (SetProfileStore(&settings), WriteProfileBool("Undo", "Logging", false),
                               RegisterModelClasses(), true);
    (void)ready;
    CBaseDoc document;
    CMemFile file(data, static_cast<UINT>(size));
    CArchive ar(&file, CArchive::load);
    try {
        document.GetModel().Serialize(ar);
    } catch (const CException&) {
    }
    return 0;
}
