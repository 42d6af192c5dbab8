#include "document/componentbehavior.h"

#include <utility>

#include "document/settingsmessages.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CComponentBehavior, CEntity, VERSIONABLE_SCHEMA | 4)

namespace {

constexpr BYTE kFacesCameraBit = 0x1;
constexpr BYTE kShadowsFaceSunBit = 0x2;

[[nodiscard]] bool IsValidGlueTo(int glueTo)
{
    return glueTo >= 0 && glueTo <= CComponentBehavior::kMaxGlueTo;
}

}  // namespace

CComponentBehavior::CComponentBehavior() = default;

CComponentBehavior::CComponentBehavior(const CComponentBehavior& other)
    : CEntity(other),
      m_glued(other.m_glued),
      m_glueTo(other.m_glueTo),
      m_cutsOpening(other.m_cutsOpening),
      m_facesCamera(other.m_facesCamera),
      m_shadowsFaceSun(other.m_shadowsFaceSun)
{
}

CComponentBehavior::~CComponentBehavior() = default;

CEntity* CComponentBehavior::Clone() const
{
    return new CComponentBehavior(*this);
}

void CComponentBehavior::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    auto& behavior = dynamic_cast<CComponentBehavior&>(other);
    std::swap(m_glued, behavior.m_glued);
    std::swap(m_glueTo, behavior.m_glueTo);
    std::swap(m_cutsOpening, behavior.m_cutsOpening);
    std::swap(m_facesCamera, behavior.m_facesCamera);
    std::swap(m_shadowsFaceSun, behavior.m_shadowsFaceSun);
}

int CComponentBehavior::GetTypeId() const
{
    return kTypeComponentBehavior;
}

void CComponentBehavior::Reset()
{
    RecordChange(true);
    m_glued = false;
    m_glueTo = 0;
    m_cutsOpening = false;
    m_facesCamera = false;
    m_shadowsFaceSun = false;
}

void CComponentBehavior::SetGlued(bool glued, int glueTo)
{
    RecordChange(true);
    m_glued = glued;
    m_glueTo = glueTo;
}

void CComponentBehavior::SetCutsOpening(bool cuts)
{
    RecordChange(true);
    m_cutsOpening = cuts;
}

void CComponentBehavior::SetAlwaysFacesCamera(bool faces)
{
    RecordChange(true);
    m_facesCamera = faces;
}

void CComponentBehavior::SetShadowsFaceSun(bool faces)
{
    RecordChange(true);
    m_shadowsFaceSun = faces;
}

void CComponentBehavior::Serialize(CArchive& ar)
{
    CEntity::Serialize(ar);
    if (ar.IsLoading()) {
        Read(ar);
    } else {
        Write(ar);
    }
}

void CComponentBehavior::Read(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CComponentBehavior));
    // Before the switch existed, every component with a behaviour glued.
    m_glued = version >= 3 ? ArchiveReadBool(ar) : true;
    m_cutsOpening = ArchiveReadBool(ar);
    if (version >= 2) {
        std::int32_t glueTo = 0;
        ar >> glueTo;
        m_glueTo = IsValidGlueTo(glueTo) ? glueTo : 0;
    }
    if (version >= 4) {
        BYTE bits = 0;
        ar >> bits;
        ReadFacingBits(bits);
    } else {
        m_facesCamera = false;
        m_shadowsFaceSun = false;
    }
}

void CComponentBehavior::ReadFacingBits(BYTE bits)
{
    const CVersionInfo& file = GetFileVersionInfo();
    m_facesCamera = (bits & kFacesCameraBit) != 0;
    if (file.GetMajor() <= 4) {
        m_shadowsFaceSun = false;
        return;
    }
    if (!m_facesCamera) {
        return;
    }
    // Early builds of the first release with the flag did not write bit 1 but always
    // turned shadows towards the sun.
    const bool early = file.GetMajor() == 5 && file.GetMinor() == 0 && file.GetBuild() < 151;
    m_shadowsFaceSun = early || (bits & kShadowsFaceSunBit) != 0;
}

void CComponentBehavior::Write(CArchive& ar) const
{
    const int format = GetSaveFormat();
    ArchiveWriteBool(ar, m_glued);
    ArchiveWriteBool(ar, m_cutsOpening);
    ar << static_cast<std::int32_t>(m_glueTo);
    if (format == kSaveFormat5000) {
        BYTE bits = 0;
        if (m_facesCamera) {
            bits = kFacesCameraBit;
            if (m_shadowsFaceSun) {
                bits |= kShadowsFaceSunBit;
            }
        }
        ar << bits;
    } else if (format == kSaveFormat4000) {
        ArchiveWriteBool(ar, m_facesCamera);
    }
}

int CComponentBehavior::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CComponentBehavior), results, result)) {
        return result;
    }
    const int base = CEntity::CheckValidity(mode, results);
    if (base != kValiditySound) {
        return SetCheckResult(base, results);
    }
    if (IsValidGlueTo(m_glueTo)) {
        return kValiditySound;
    }
    AppendSettingsMessage(kMsgBadGlueTo, GetEntityLabel(this));
    if (!BeginRepair(mode)) {
        return SetCheckResult(kValidityRepairable, results);
    }
    RecordChange(true);
    m_glueTo = 0;
    return kValiditySound;
}

CObject* CreateComponentBehavior()
{
    return CComponentBehavior::CreateObject();
}
