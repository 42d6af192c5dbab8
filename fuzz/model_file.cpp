// Reads arbitrary bytes as a model file through the document's own entry point. A
// read that fails frees everything it made (its load session), so leaks are reported.
// A model the program would show (read whole, or in part with its note) is used as a
// user uses it: visited as a frame visits it, saved in a format the input's bytes choose,
// and the save read again (fuzz/modeluse.h). The document is then emptied and given the
// sample house, as the program's one document is when the next file opens: the house
// must read as it reads alone, or the input left something behind in the model.
#include "document/basedoc.h"
#include "document/classregistration.h"
#include "document/tarnwickmodel.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"
#include "samplegen/housemodel.h"
#include "samplegen/modelfiles.h"
#include "fuzz/modeluse.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

constexpr int kFormat = 5000;

// The house written, and what a model that read it writes back, its time stamp blanked.
struct NextFile
{
    ModelBytes file;
    ModelBytes readBack;
};

NextFile MakeNextFile()
{
    NextFile next;
    {
        CBaseDoc built;
        BuildHouseModel(built.GetModel());
        next.file = WriteModelBytes(built.GetModel(), kFormat);
    }
    CBaseDoc alone;
    ReadModelBytes(next.file, alone.GetModel());
    next.readBack = modeluse::SavedWithoutStamp(alone.GetModel(), kFormat);
    return next;
}

std::uint32_t Chosen(const uint8_t* data, size_t size)
{
    std::uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) {
        hash = (hash ^ data[i]) * 16777619u;
    }
    return hash;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // Settings in memory with the undo log off, so that no input writes files.
    static CSettingsStore settings{CString()};
    static const bool ready = (SetProfileStore(&settings), WriteProfileBool("Undo", "Logging", false),
                               RegisterModelClasses(), true);
    (void)ready;
    static const NextFile next = MakeNextFile();
    CBaseDoc document;
    CMemFile file(data, static_cast<UINT>(size));
    ULONGLONG reached = 0;
    bool shown = false;
    {
        CArchive ar(&file, CArchive::load);
        try {
            document.GetModel().Serialize(ar);
            shown = document.GetModel().GetLoadStatus() == CTarnwickModel::kLoadOk;
        } catch (const CException&) {
        }
        reached = file.GetPosition();
    }
    if (shown) {
        (void)modeluse::Visit(document.GetModel());
        constexpr int kFormats[] = {5000, 4000, 3000};
        modeluse::SaveAndReadAgain(document.GetModel(), kFormats[Chosen(data, size) / 8 % 3]);
    }
    // The check costs a house read, five times an input's: it is made for inputs read
    // past the header, one in eight chosen by their bytes, so that a finding repeats.
    if (reached < 64 || Chosen(data, size) % 8 != 0) {
        return 0;
    }
    document.DeleteContents();
    ReadModelBytes(next.file, document.GetModel());
    const ModelBytes after = modeluse::SavedWithoutStamp(document.GetModel(), kFormat);
    if (after != next.readBack) {
        const auto at = std::mismatch(after.begin(), after.end(), next.readBack.begin(), next.readBack.end());
        std::fprintf(stderr, "%zu and %zu bytes, first difference at byte %td\n", after.size(), next.readBack.size(),
                     at.first - after.begin());
        if (const char* prefix = std::getenv("GLIMRA_FUZZ_SAVES")) {
            modeluse::Keep(after, std::string(prefix) + "after.twk");
            modeluse::Keep(next.readBack, std::string(prefix) + "alone.twk");
        }
        modeluse::Fail("the house read after this input differs from the house read alone");
    }
    return 0;
}
