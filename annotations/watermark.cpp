#include "annotations/watermark.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "annotations/constructionmessages.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CWatermark, CEntity, VERSIONABLE_SCHEMA | 1)

CWatermark::CWatermark() = default;

CWatermark::CWatermark(const CWatermark& other)
    : CEntity(other),
      m_fileName(other.m_fileName),
      m_flag(other.m_flag),
      m_time(other.m_time),
      m_position(other.m_position),
      m_inFront(other.m_inFront)
{
}

CWatermark::~CWatermark() = default;

void CWatermark::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CWatermark::ReadRecord(CArchive& ar)
{
    m_flag = ArchiveReadBool(ar);
    m_fileName = ArchiveReadString(ar);
    LONGLONG time = 0;
    ar >> time;
    m_time = time;
    ar >> m_position;
    CDib* image = nullptr;
    ArchiveReadDib(ar, image);
    SetImage(image);
    m_inFront = ArchiveReadBool(ar);
}

void CWatermark::WriteRecord(CArchive& ar) const
{
    ArchiveWriteBool(ar, m_flag);
    ArchiveWriteString(ar, m_fileName);
    ar << static_cast<LONGLONG>(m_time);
    ArchiveWriteUInt32(ar, m_position);
    ar.WriteObject(m_image);
    ArchiveWriteBool(ar, m_inFront);
}

void CWatermark::SetImage(CDib* image)
{
    if (image == m_image) {
        return;
    }
    if (image != nullptr) {
        image->AddUse();
    }
    CDib* previous = std::exchange(m_image, image);
    if (previous != nullptr) {
        (void)previous->ReleaseUse();
    }
}

bool CWatermark::IsHandedToUndo() const
{
    const CUndoOperation* operation = IsRecordingChanges() ? GetUndoOperation() : nullptr;
    if (operation == nullptr) {
        return false;
    }
    // One made within the same operation is deleted at once, not kept.
    const std::vector<CEntity*>& created = operation->GetCreatedEntities();
    return std::find(created.begin(), created.end(), this) == created.end();
}

void CWatermark::Erase()
{
    // A watermark kept by an undo operation may come back and needs its picture then.
    if (!IsHandedToUndo()) {
        SetImage(nullptr);
    }
    CEntity::Erase();
}

CEntity* CWatermark::Clone() const
{
    return new CWatermark(*this);
}

void CWatermark::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& watermark = static_cast<CWatermark&>(other);
    std::swap(m_fileName, watermark.m_fileName);
    std::swap(m_flag, watermark.m_flag);
    std::swap(m_time, watermark.m_time);
    std::swap(m_position, watermark.m_position);
    std::swap(m_inFront, watermark.m_inFront);
}

int CWatermark::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CWatermark), results, result)) {
        return result;
    }
    result = CEntity::CheckValidity(mode, results);
    if (result != kValiditySound) {
        return SetCheckResult(result, results);
    }
    if (m_position > kBottomRight) {
        AppendConstructionMessage(kMsgWatermarkPositionInvalid, m_position, GetEntityLabel(this));
        result = kValidityStale;
    }
    if (m_image != nullptr && !m_image->IsValid()) {
        AppendConstructionMessage(kMsgWatermarkImageInvalid, GetEntityLabel(this));
        result = kValidityStale;
    }
    return result == kValiditySound ? kValiditySound : SetCheckResult(result, results);
}

int CWatermark::GetTypeId() const
{
    return kTypeWatermark;
}

void CWatermark::SetImageFile(const CString& fileName, std::uint32_t position)
{
    m_fileName = fileName;
    m_position = position;
    SetImage(nullptr);
    SetImage(GetImageLibApp()->LoadImageFile(fileName));
}

void CWatermark::SetInFront(bool inFront)
{
    if (inFront == m_inFront) {
        return;
    }
    RecordChange(true);
    m_inFront = inFront;
}
