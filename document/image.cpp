#include "document/image.h"

#include "document/componentdefinition.h"
#include "document/material.h"
#include "foundation/unitvector3d.h"
#include "model/face.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CImage, CComponentInstance, VERSIONABLE_SCHEMA | 1)

namespace {

// The face of an image definition stands fifth, after its four edges.
constexpr int kFaceIndex = 4;

CVector3d ToVector(const CUnitVector3d& u)
{
    return CVector3d(u.x, u.y, u.z);
}

}  // namespace

CImage::CImage()
{
    SetFlagBits(kFlagCastsShadows, false);
}

CImage::CImage(const CImage& other) : CComponentInstance(other)
{
}

CImage::~CImage() = default;

void CImage::Serialize(CArchive& ar)
{
    CComponentInstance::Serialize(ar);
    if (ar.IsLoading()) {
        OnTransformChanged();
    }
    DropOwnMaterial();
}

void CImage::DropOwnMaterial()
{
    // The picture's material belongs to the face; the image takes none of its own. A
    // record may still carry one: it gives back the use it took.
    if (GetMaterial() == nullptr) {
        return;
    }
    const CUndoSuspender suspender;
    m_droppingMaterial = true;
    SetMaterial(nullptr);
    m_droppingMaterial = false;
}

CEntity* CImage::Clone() const
{
    return new CImage(*this);
}

int CImage::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CImage), results, result)) {
        return result;
    }
    return CComponentInstance::CheckValidity(mode, results);
}

int CImage::GetTypeId() const
{
    return kTypeImage;
}

bool CImage::CanHaveMaterial() const
{
    return m_droppingMaterial;
}

void CImage::OnTransformChanged()
{
    const CTransformation& transform = GetTransform();
    const double xScale = transform.GetXScale();
    const double yScale = transform.GetYScale();
    const CVector3d x = ToVector(transform.GetXAxis());
    const CVector3d y = ToVector(transform.GetYAxis());
    CVector3d z = transform.IsMirrored() ? y.CrossProduct(x) : x.CrossProduct(y);
    z.Normalize();
    const CTransformation axes(x, y, z, transform.GetOrigin());
    SetTransformField(axes * CTransformation::Scaling(xScale, yScale, 1.0));
    CComponentInstance::OnTransformChanged();
}

CFace* CImage::GetFace() const
{
    const CComponentDefinition* definition = GetDefinition();
    if (definition == nullptr) {
        return nullptr;
    }
    if (auto* face = dynamic_cast<CFace*>(definition->GetAt(kFaceIndex))) {
        return face;
    }
    for (CDrawingElement* entity : definition->GetEntityList()) {
        if (auto* face = dynamic_cast<CFace*>(entity)) {
            return face;
        }
    }
    return nullptr;
}

void CImage::SetDrawingFlags(bool glued, bool facing)
{
    m_glued = glued;
    m_facing = facing;
}
