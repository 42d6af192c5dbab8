#include "annotations/watermark.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "annotations/constructionmessages.h"
#include "document/dib.h"
#include "document/imageadapter/imageapp.h"
#include "drawapi/tarnisview.h"
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
    m_pixelCache.clear();
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
    m_pixelCache.clear();
    watermark.m_pixelCache.clear();
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

namespace {

// A picture side beyond this is not drawn: the pixel cache is made from it.
constexpr int kLargestSide = 16384;
constexpr double kEdge = 0.05;

double Placed(double value)
{
    return value > 0.0 ? value : kEdge;
}

}  // namespace

void CWatermark::GetWindowCorner(std::uint32_t position, int viewportWidth, int viewportHeight, int width,
                                 int height, double& x, double& y)
{
    if (position > kBottomRight) {
        x = y = kEdge;
        return;
    }
    const int column = static_cast<int>(position % 3);
    const int row = static_cast<int>(position / 3);
    const double xs[3] = {kEdge, (viewportWidth - width) * 0.5, static_cast<double>(viewportWidth - width)};
    const double ys[3] = {static_cast<double>(viewportHeight - height), (viewportHeight - height) * 0.5, kEdge};
    x = Placed(xs[column]);
    y = Placed(ys[row]);
}

void CWatermark::Draw(ITarnisView* view)
{
    if (view == nullptr || m_image == nullptr || !m_image->HasImage()) {
        return;
    }
    // A picture reduced as the model was read still shows at its own size.
    const int w = m_image->GetSourceWidth();
    const int h = m_image->GetSourceHeight();
    const int bits = m_image->GetBitsPerPixel();
    if (w <= 0 || h <= 0 || w > kLargestSide || h > kLargestSide || (bits != 24 && bits != 32)) {
        return;
    }
    const std::size_t rowBytes = static_cast<std::size_t>(w) * static_cast<std::size_t>(bits / 8);
    if (m_pixelCache.empty()) {
        std::uint8_t* rows = m_image->GetResizedPixels(w, h);
        if (rows == nullptr) {
            return;
        }
        m_pixelCache.resize(rowBytes * static_cast<std::size_t>(h));
        for (int r = 0; r < h; ++r) {
            std::memcpy(&m_pixelCache[static_cast<std::size_t>(h - 1 - r) * rowBytes],
                        rows + static_cast<std::size_t>(r) * rowBytes, rowBytes);
        }
        GetImageLibApp()->FreeBuffer(rows);
    }
    const CCameraState camera = view->GetCameraState();
    double x = kEdge;
    double y = kEdge;
    GetWindowCorner(m_position, camera.viewportWidth, camera.viewportHeight, w, h, x, y);
    CPoint3d corner;
    // The view's window rows count downwards.
    if (view->ScreenToModel(CPoint3d(x, camera.viewportHeight - y, m_inFront ? 0.05 : 0.98), corner)) {
        view->DrawPixels(corner, w, h, bits, m_pixelCache.data());
    }
}
