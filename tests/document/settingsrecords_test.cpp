#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "document/camera.h"
#include "document/classregistration.h"
#include "document/componentbehavior.h"
#include "document/optionsmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/thumbnail.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "tests/document/settingstestsupport.h"

using settingstest::ArchiveCause;
using settingstest::Bytes;
using settingstest::Store;

namespace {

struct RecordKind
{
    const char* name;
    std::function<void(CArchive&)> serialize;
};

}  // namespace

TEST(SettingsRecords, EveryRecordCutShortRaisesTheArchiveExceptionAndNothingElse)
{
    RegisterModelClasses();
    const CUndoSuspender suspender;
    CComponentBehavior behavior;
    CRenderingOptions options;
    CShadowInfo shadow;
    CCamera camera;
    auto* thumbnail = new CThumbnail;
    std::unique_ptr<COptionsManager> manager(CreateOptionsManager());
    const RecordKind kinds[] = {
        {"behaviour", [&](CArchive& ar) { behavior.Serialize(ar); }},
        {"rendering options", [&](CArchive& ar) { options.Serialize(ar); }},
        {"shadow", [&](CArchive& ar) { shadow.Serialize(ar); }},
        {"camera", [&](CArchive& ar) { camera.Serialize(ar); }},
        {"thumbnail", [&](CArchive& ar) { thumbnail->Serialize(ar); }},
        {"options", [&](CArchive& ar) { manager->Serialize(ar); }},
    };
    for (const RecordKind& kind : kinds) {
        const Bytes whole = Store(kind.serialize);
        for (std::size_t length = 0; length < whole.size(); ++length) {
            const Bytes cut(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(length));
            const int cause = ArchiveCause([&] { entitytest::LoadInSession(cut, kind.serialize); });
            EXPECT_TRUE(cause == CArchiveException::endOfFile || cause == CArchiveException::genericException)
                << kind.name << " cut at " << length << " gives " << cause;
        }
    }
    documenttest::Dispose(thumbnail);
}
