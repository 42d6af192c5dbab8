#include "document/thumbnail.h"

#include <utility>

#include "document/dib.h"
#include "document/settingsmessages.h"
#include "document/versionmap.h"
#include "foundation/notificationcenter.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CThumbnail, CEntity, VERSIONABLE_SCHEMA | 1)

CThumbnail::CThumbnail()
{
    m_camera.SetViewFromDirection(CPoint3d(0.0, 0.0, 1.0), CVector3d(0.0, 0.0, 1.0), CVector3d(0.0, 1.0, 0.0), 0.0,
                                  0.0, true, 30.0, 1.0);
}

CThumbnail::CThumbnail(const CThumbnail& other) : CEntity(other), m_camera(other.m_camera)
{
}

CThumbnail::~CThumbnail() = default;

CEntity* CThumbnail::Clone() const
{
    return new CThumbnail(*this);
}

int CThumbnail::GetTypeId() const
{
    return kTypeThumbnail;
}

void CThumbnail::Erase()
{
    DropImage();
    CEntity::Erase();
}

void CThumbnail::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& thumbnail = dynamic_cast<CThumbnail&>(other);
    std::swap(m_camera, thumbnail.m_camera);
    thumbnail.DropImage();
    SetImage(nullptr);
}

void CThumbnail::SetCamera(const CCamera& camera)
{
    RecordChange(true);
    m_camera = camera;
}

void CThumbnail::DropImage()
{
    if (m_image != nullptr) {
        CDib* const image = std::exchange(m_image, nullptr);
        (void)image->ReleaseUse();
    }
}

void CThumbnail::SetImage(CDib* image)
{
    if (image != nullptr) {
        image->AddUse();
    }
    DropImage();
    m_image = image;
    if (image == nullptr) {
        GetNotificationCenter().Post(kThumbnailClearedNotification, this);
    }
}

void CThumbnail::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CThumbnail::Read(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CThumbnail));
    ReadCamera(ar, version == 0, m_camera);
    CDib* image = nullptr;
    ArchiveReadDib(ar, image);
    if (image != nullptr && !image->HasContent()) {
        // The archive may hand the same picture to a later reference.
        ar.DeleteWhenClosed(image);
        image = nullptr;
    }
    DropImage();
    if (image != nullptr) {
        image->AddUse();
        m_image = image;
    }
}

void CThumbnail::Write(CArchive& ar)
{
    if (GetSaveFormat() == kSaveFormat3000) {
        m_camera.WriteOldForm(ar);
        ar.WriteObject(m_image);
        return;
    }
    ar.WriteObject(&m_camera);
    ar.WriteObject(m_image != nullptr && m_image->HasContent() ? m_image : nullptr);
}

int CThumbnail::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CThumbnail), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    if (!m_camera.IsValid()) {
        AppendSettingsMessage(kMsgBadThumbnailCamera, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    if (m_image != nullptr && !m_image->IsValid()) {
        AppendSettingsMessage(kMsgBadThumbnailImage, GetEntityLabel(this));
        return SetCheckResult(kValidityStale, results);
    }
    return kValiditySound;
}

CObject* CreateThumbnail()
{
    return CThumbnail::CreateObject();
}
