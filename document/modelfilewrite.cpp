// Writing the model file's frame in the current save format.
#include <ctime>

#include "annotations/dimensionstyle.h"
#include "annotations/textstyle.h"
#include "document/component.h"
#include "document/componentbehavior.h"
#include "document/definitionthumbnails.h"
#include "document/dib.h"
#include "document/fontmanager.h"
#include "document/modelpages.h"
#include "document/optionsmanager.h"
#include "document/renderingoptions.h"
#include "document/shadowinfo.h"
#include "document/tarniscs.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/modelid.h"
#include "platform/archive.h"

namespace {

// The two words after the map carry no meaning here; they are written as the files
// of the newest program carry them.
constexpr std::int32_t kHeaderWordA = 1;
constexpr std::int32_t kHeaderWordB = 1200;

// Every write ends in format 5000, also one that throws, so that a failed write in an
// older format leaves no later write in that format.
class SaveFormatReset
{
public:
    SaveFormatReset() = default;
    ~SaveFormatReset() { SetSaveFormat(kSaveFormat5000); }
    SaveFormatReset(const SaveFormatReset&) = delete;
    SaveFormatReset& operator=(const SaveFormatReset&) = delete;
};

void WriteFormatVersionMap(CArchive& ar, int saveFormat)
{
    switch (saveFormat) {
    case kSaveFormat5000:
        WriteVersionMapCurrent(ar);
        break;
    case kSaveFormat4000:
        WriteVersionMapPrevious(ar);
        break;
    case kSaveFormat3000:
        WriteVersionMapOldest(ar);
        break;
    default:
        break;
    }
}

}  // namespace

void CTarnwickModel::WriteModelFile(CArchive& ar)
{
    const SaveFormatReset formatReset;
    const CurrentModelScope scope;
    MakeCurrent();
    // The pictures that opening left for later are drawn now, so that the file keeps them.
    RenderWaitingThumbnails(*this, m_rootComponent);
    const int saveFormat = GetSaveFormat();
    ArchiveWriteString(ar, CString("Tarnwick Model"));
    m_versionInfo = CVersionInfo();
    m_versionInfo.Serialize(ar);
    if (IsNullGuid(m_modelId)) {
        CreateGuid(m_modelId);
    }
    SerializeGuid(m_modelId, ar);
    ArchiveWriteString(ar, CString());
    ar << static_cast<LONGLONG>(std::time(nullptr));
    WriteFormatVersionMap(ar, saveFormat);
    ar << kHeaderWordA << kHeaderWordB;
    ar.WriteObject(m_preview);
    ArchiveWriteBool(ar, m_redefineThumbnail);
    if (m_behavior == nullptr) {
        m_behavior = new CComponentBehavior;
    }
    m_behavior->Serialize(ar);
    ArchiveWriteString(ar, m_description);
    if (saveFormat == kSaveFormat3000) {
        m_camera.Serialize(ar);
    } else if (saveFormat == kSaveFormat5000 || saveFormat == kSaveFormat4000) {
        ar.WriteObject(&m_camera);
    }
    m_rendering->SetDisplayShadowsMirror(m_shadow->IsDisplayShadows());
    m_rendering->Serialize(ar);
    ar << std::int32_t{0};
    m_rootComponent->Serialize(ar);
    m_shadow->Serialize(ar);
    if (saveFormat == kSaveFormat3000) {
        modelpages::WritePageReferences(ar, m_pageList);
    } else {
        modelpages::WritePageList(ar, m_pageList);
    }
    m_drawingAxes->Serialize(ar);
    for (const std::int32_t word : m_reserved) {
        ar << word;
    }
    m_options->Serialize(ar);
    m_dimensionStyle->Serialize(ar);
    m_textStyle->Serialize(ar);
    m_fontManager->Serialize(ar);
}
