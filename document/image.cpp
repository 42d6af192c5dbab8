#include "document/image.h"

#include <algorithm>
#include <cmath>
#include <filesystem>

#include "document/componentdefinition.h"
#include "document/definitionunique.h"
#include "document/facetexturecoords.h"
#include "document/material.h"
#include "document/materialmanager.h"
#include "document/placementmatrix.h"
#include "document/tarnwickmodel.h"
#include "document/texture.h"
#include "document/textureplacement.h"
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

constexpr double kSizeTolerance = 0.001;

CTexture* GetFaceTexture(const CFace* face, CMaterial** material = nullptr)
{
    CMaterial* own = face != nullptr ? face->GetMaterial() : nullptr;
    if (material != nullptr) {
        *material = own;
    }
    return own != nullptr ? own->GetTexture() : nullptr;
}

// The file's base name without folder or extension, blanks trimmed first. Names of any
// length are kept whole.
CString PictureName(const CString& fileName)
{
    std::string path = fileName.ToUtf8();
    const auto first = path.find_first_not_of(" \t\r\n");
    const auto last = path.find_last_not_of(" \t\r\n");
    path = first == std::string::npos ? std::string() : path.substr(first, last - first + 1);
    std::replace(path.begin(), path.end(), '\\', '/');
    const std::string stem = std::filesystem::path(path).stem().string();
    return stem.empty() ? CString("Image") : CString::FromUtf8(stem);
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

int CImage::GetImageWidth() const
{
    const CTexture* texture = GetFaceTexture(GetFace());
    return texture != nullptr ? static_cast<int>(std::lround(texture->GetWidth())) : 0;
}

int CImage::GetImageHeight() const
{
    const CTexture* texture = GetFaceTexture(GetFace());
    return texture != nullptr ? static_cast<int>(std::lround(texture->GetHeight())) : 0;
}

CMaterial* CImage::FindMatchingMaterial() const
{
    CMaterial* own = nullptr;
    const CTexture* texture = GetFaceTexture(GetFace(), &own);
    const auto* manager = own != nullptr ? dynamic_cast<CMaterialManager*>(own->GetParent()) : nullptr;
    if (texture == nullptr || manager == nullptr) {
        return nullptr;
    }
    // The picture material itself sizes the picture for the image's definition, not
    // for the model; a match must show it at the size the image shows it.
    const double width = texture->GetWidth() * GetTransform().GetXScale();
    const double height = texture->GetHeight() * GetTransform().GetYScale();
    for (int i = 0; i < manager->GetCount(); ++i) {
        auto* material = dynamic_cast<CMaterial*>(manager->GetAt(i));
        const CTexture* other = material != nullptr ? material->GetTexture() : nullptr;
        if (material == own || other == nullptr) {
            continue;
        }
        if (other->GetFileName() == texture->GetFileName() && other->GetImageWidth() == texture->GetImageWidth() &&
            other->GetImageHeight() == texture->GetImageHeight() &&
            std::fabs(other->GetWidth() - width) < kSizeTolerance &&
            std::fabs(other->GetHeight() - height) < kSizeTolerance) {
            return material;
        }
    }
    return nullptr;
}

CMaterial* CImage::MakeMaterial()
{
    CMaterial* own = nullptr;
    const CTexture* texture = GetFaceTexture(GetFace(), &own);
    auto* manager = own != nullptr ? dynamic_cast<CMaterialManager*>(own->GetParent()) : nullptr;
    if (texture == nullptr || manager == nullptr) {
        return nullptr;
    }
    auto* material = new CMaterial;
    material->SetKind(own->GetKind());
    material->SetSecondName(own->GetSecondName());
    material->SetAbsoluteHue(own->GetAbsoluteHue());
    material->SetColor(own->GetColorValue());
    material->SetTransparency(own->GetTransparency());
    material->SetUseTransparency(own->UsesTransparency());
    const CString name = PictureName(texture->GetFileName());
    material->SetName(manager->FindByName(name) != nullptr ? manager->MakeUniqueName(name) : name);
    auto* picture = new CTexture;
    picture->SetWidth(texture->GetWidth() * GetTransform().GetXScale());
    picture->SetHeight(texture->GetHeight() * GetTransform().GetYScale());
    picture->SetImage(texture->GetImage());
    picture->SetFileName(texture->GetFileName());
    material->SetTexture(picture);
    manager->AddMaterial(material);
    return material;
}

std::vector<CEntity*> CImage::Explode(bool /*callerFlag*/, bool /*onlyInstance*/)
{
    MakeDefinitionUnique(GetModel() != nullptr ? GetModel() : GetCurrentModel(), this);
    CFace* face = GetFace();
    const CTexture* picture = GetFaceTexture(face);
    CMaterial* material = FindMatchingMaterial();
    if (material == nullptr) {
        material = MakeMaterial();
    }
    if (face == nullptr || picture == nullptr || material == nullptr) {
        return {};
    }
    // The face still has the picture's own size here; the placement spans it once
    // and goes with the face when the explode places it.
    const double width = picture->GetWidth();
    const double height = picture->GetHeight();
    face->SetMaterial(material);
    face->SetBackMaterial(material);
    PlaceTexture(face, width, height);
    return CComponentInstance::Explode(false, true);
}

void CImage::PlaceTexture(CFace* face, double width, double height)
{
    if (width == 0.0 || height == 0.0) {
        return;  // a picture of no size cannot be placed
    }
    // Texture coordinates 0..1 span the picture in the plane frame; the attribute keeps
    // the inverse, which is what the view loads as its texture matrix.
    const Matrix3 placement = Matrix3Scale(width, height);
    auto* coords = new CFaceTextureCoords;
    coords->SetFrontMatrix(placement);
    coords->SetBackMatrix(placement);
    coords->SetFrontProjection(CVector3d(0, 0, 1), false);
    coords->SetBackProjection(CVector3d(0, 0, 1), false);
    face->RecordChange(true);
    face->GetOrCreateAttributeContainer(coords);
}
