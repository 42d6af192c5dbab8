#include "document/materialmanager.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <unordered_map>
#include <vector>

#include "document/dib.h"
#include "document/documentcheck.h"
#include "document/material.h"
#include "document/materialiterator.h"
#include "document/materialtalker.h"
#include "document/texture.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "model/entitylist.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CMaterialManager, CEntity, VERSIONABLE_SCHEMA | 4)

namespace {

constexpr double kSizeTolerance = 0.001;
// The identifier with which the rendering options announce their transparency settings.
constexpr std::int32_t kTransparencyOptionsChanged = 2;

void Tell(CMaterial* material, MaterialEvent event)
{
    GetMaterialTalker()->Notify(material, event);
}

// The texture key of a material: the file name and size of its texture, empty and 0
// by 0 without one.
bool MatchesTexture(const CMaterial& material, const CString& fileName, double width, double height)
{
    const CTexture* texture = material.GetTexture();
    const CString ownName = texture != nullptr ? texture->GetFileName() : CString();
    const double ownWidth = texture != nullptr ? texture->GetWidth() : 0.0;
    const double ownHeight = texture != nullptr ? texture->GetHeight() : 0.0;
    return ownName.CompareNoCase(fileName) == 0 && std::fabs(ownWidth - width) < kSizeTolerance &&
           std::fabs(ownHeight - height) < kSizeTolerance;
}

}  // namespace

CMaterialManager::CMaterialManager()
{
    GetNotificationCenter().AddObserver(kRenderingOptionsChangeNotification, this);
}

CMaterialManager::CMaterialManager(const CMaterialManager& other) : CEntity(other), m_current(other.m_current)
{
}

CMaterialManager::~CMaterialManager()
{
    GetNotificationCenter().RemoveObserver(this);
}

CEntity* CMaterialManager::Clone() const
{
    return new CMaterialManager(*this);
}

void CMaterialManager::SwapData(CEntity& other)
{
    CEntity::SwapData(other);
    std::swap(m_current, dynamic_cast<CMaterialManager&>(other).m_current);
}

int CMaterialManager::GetTypeId() const
{
    return kTypeMaterialManager;
}

void CMaterialManager::Erase()
{
    // The materials go with their manager; left behind they would belong to no one.
    RecordChange(true);
    EraseEach(m_materials);
    CEntity::Erase();
}

int CMaterialManager::GetCount() const
{
    return static_cast<int>(m_materials.size());
}

bool CMaterialManager::IsEmpty() const
{
    return m_materials.empty();
}

bool CMaterialManager::Contains(const CEntity* entity) const
{
    return ListContains(m_materials, entity);
}

void CMaterialManager::Add(CEntity* entity)
{
    auto* material = dynamic_cast<CMaterial*>(entity);
    if (material == nullptr) {
        return;
    }
    material->SetParent(this);
    if (AppendOnce(m_materials, material)) {
        Tell(material, kMaterialAdded);
    }
}

bool CMaterialManager::Remove(CEntity* entity)
{
    const auto found = std::find(m_materials.begin(), m_materials.end(), entity);
    if (entity == nullptr || found == m_materials.end()) {
        return false;
    }
    CMaterial* const material = *found;
    m_materials.erase(found);
    Tell(material, kMaterialRemoved);
    material->SetParent(nullptr);
    if (material == m_current) {
        m_current = nullptr;
        Tell(nullptr, kCurrentMaterialChanged);
    }
    return true;
}

void CMaterialManager::RemoveAll()
{
    for (CMaterial* material : m_materials) {
        if (CTexture* texture = material->GetTexture()) {
            texture->ReleaseGLTexture();
        }
        if (material == m_current) {
            m_current = nullptr;
        }
        material->Erase();
    }
    m_materials.clear();
    if (m_current != nullptr) {
        m_current->Erase();
        m_current = nullptr;
    }
}

CEntity* CMaterialManager::GetAt(int index) const
{
    return ListAt(m_materials, index);
}

IEntityIterator* CMaterialManager::NewIterator()
{
    return new CMaterialIterator(this, false);
}

IEntityIterator* CMaterialManager::CreateIterator()
{
    return new CMaterialIterator(this, true);
}

void CMaterialManager::AddMaterial(CMaterial* material)
{
    if (material == nullptr) {
        return;
    }
    if (IsRecordingChanges()) {
        if (CUndoOperation* operation = GetUndoOperation()) {
            operation->RecordAdd(material, this);
        }
    }
    Add(material);
}

CMaterial* CMaterialManager::FindMaterial(CColor color, const CString& textureFileName, double width,
                                          double height, bool hidden) const
{
    for (CMaterial* material : m_materials) {
        if (material->GetColorValue() == color && material->IsHidden() == hidden &&
            MatchesTexture(*material, textureFileName, width, height)) {
            return material;
        }
    }
    return nullptr;
}

CMaterial* CMaterialManager::FindByName(const CString& name) const
{
    if (name.IsEmpty()) {
        return nullptr;
    }
    for (CMaterial* material : m_materials) {
        if (material->GetDisplayName().CompareNoCase(name) == 0) {
            return material;
        }
    }
    return nullptr;
}

CString CMaterialManager::MakeUniqueName(const CString& base) const
{
    const CString stem = StripTrailingDigits(base);
    // At most one candidate per material and one for the current material is taken,
    // so the search ends within the count plus two.
    for (int number = 1;; ++number) {
        const CString candidate = stem + CString::Formatted("%d", number);
        const bool taken = FindByName(candidate) != nullptr ||
                           FindByName(ExpandAutoNamePrefix(candidate)) != nullptr ||
                           (m_current != nullptr && m_current->GetName().CompareNoCase(candidate) == 0);
        if (!taken) {
            return candidate;
        }
    }
}

CString CMaterialManager::GenerateUniqueName() const
{
    return MakeUniqueName("*");
}

CMaterial* CMaterialManager::FindOrCreateColorMaterial(CColor color)
{
    if (CMaterial* found = FindMaterial(color, CString(), 0.0, 0.0, false)) {
        return found;
    }
    auto* material = new CMaterial;
    material->SetColor(color);
    material->SetName(GenerateUniqueName());
    AddMaterial(material);
    return material;
}

void CMaterialManager::ReleaseTextures()
{
    for (CMaterial* material : m_materials) {
        if (material->IsTextured()) {
            material->GetTexture()->ReleaseGLTexture();
        }
    }
}

void CMaterialManager::ResetUseCounts()
{
    for (CMaterial* material : m_materials) {
        material->RecordChange(true);
        material->SetUseCount(0);
    }
}

void CMaterialManager::PurgeUnused()
{
    std::vector<CMaterial*> unused;
    for (CMaterial* material : m_materials) {
        if (material->IsHidden() && material->GetUseCount() == 0 && material != m_current) {
            unused.push_back(material);
        }
    }
    for (CMaterial* material : unused) {
        if (!Remove(material)) {
            continue;
        }
        if (IsRecordingChanges()) {
            if (CUndoOperation* operation = GetUndoOperation()) {
                operation->RecordRemove(material, this);
            }
        }
        material->Erase();
    }
}

void CMaterialManager::Clear()
{
    const CTarnwickModel* model = GetModel();
    if (model != nullptr && model->GetMaterialManager() == this) {
        GetMaterialTalker()->NotifyClearing(this);
    }
    EraseEach(m_materials);
    m_current = nullptr;
    m_materials.clear();
    m_materials.shrink_to_fit();
}

void CMaterialManager::OnOperationStarted(int code, int /*nameId*/)
{
    m_operationActive = code == 2 || code == 3;
}

void CMaterialManager::OnOperationCommitted(int /*code*/, int /*nameId*/, int /*flags*/)
{
    m_operationActive = false;
}

void CMaterialManager::OnEntityModified(CEntity* entity)
{
    if (m_operationActive) {
        if (auto* material = dynamic_cast<CMaterial*>(entity)) {
            Tell(material, kMaterialChangedInOperation);
        }
    }
}

void CMaterialManager::OnEntityErased(CEntity* entity)
{
    if (auto* material = dynamic_cast<CMaterial*>(entity)) {
        Tell(material, kMaterialRemoved);
    }
}

void CMaterialManager::OnNotify(const std::string& name, void* data)
{
    // The record begins with the identifier of the setter that posted it.
    if (name == kRenderingOptionsChangeNotification && data != nullptr &&
        *static_cast<const std::int32_t*>(data) == kTransparencyOptionsChanged) {
        ReleaseTextures();
    }
}

void CMaterialManager::Serialize(CArchive& ar)
{
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CMaterialManager::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CMaterialManager));
    if (version > 0) {
        CEntity::Serialize(ar);
    }
    ReadMaterials(ar);
    if (version > 1) {
        CMaterial* current = nullptr;
        ArchiveReadMaterial(ar, current);
        if (Contains(current)) {
            m_current = current;
        } else {
            KeepStrayMaterial(current);
        }
    }
    if (version == 3) {
        // A value the record no longer uses: dropped, unless a record before named it.
        const UINT known = ar.GetMapCount();
        CMaterial* extra = nullptr;
        ArchiveReadMaterial(ar, extra);
        if (extra != nullptr && extra->GetParent() == nullptr && ar.IsMadeAfter(extra, known)) {
            // No later reference reads it, nor the texture the archive made for it.
            ar.DeleteWhenClosed(extra->TakeTexture());
            ar.DeleteWhenClosed(extra);
        } else if (!Contains(extra)) {
            KeepStrayMaterial(extra);
        }
    }
    ShareTexturePictures();
}

void CMaterialManager::ReadMaterials(CArchive& ar)
{
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        CMaterial* material = nullptr;
        ArchiveReadMaterial(ar, material);
        // A manager erases its materials; a second manager would erase them twice.
        if (material != nullptr && material->GetParent() != nullptr && material->GetParent() != this) {
            AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
        }
        AddMaterial(material);
    }
}

namespace {

bool HoldSameBytes(const CDib& one, const CDib& other)
{
    const int size = one.GetPixelBufferSize();
    return size > 0 && size == other.GetPixelBufferSize() &&
           std::memcmp(one.GetPixelBuffer(), other.GetPixelBuffer(), static_cast<std::size_t>(size)) == 0;
}

// Only a picture known to decode is given: a picture whose header reads counts as one
// until its data is decoded, and a damaged copy given away would replace an intact one,
// which the next save would write over. The picture given is decoded once to be sure,
// unless the material it goes to holds the very same bytes already (the usual case: one
// file read twice), where nothing intact can be lost.
bool MayGive(const CDib& given, const CDib* held)
{
    return (held != nullptr && HoldSameBytes(given, *held)) || given.DecodesWhole();
}

// Each material's picture goes to the materials after it that name the same file.
void SharePicturesWithin(const std::vector<CMaterial*>& group)
{
    for (std::size_t i = 0; i < group.size(); ++i) {
        const CTexture* source = group[i]->GetTexture();
        for (std::size_t j = i + 1; j < group.size(); ++j) {
            CTexture* target = group[j]->GetTexture();
            if (target->GetImage() == source->GetImage()) {
                continue;
            }
            // One that did not decode is no picture to give, and its bytes are not to be
            // replaced. Asked last, as learning it may decode the picture.
            if (!source->HasImage() || (target->GetImage() != nullptr && !target->HasImage()) ||
                !MayGive(*source->GetImage(), target->GetImage())) {
                continue;
            }
            target->SetImage(source->GetImage());
        }
    }
}

}  // namespace

void CMaterialManager::ShareTexturePictures()
{
    // Only materials whose pictures came from one file share them: grouped by that name,
    // in the materials' order, tens of thousands of materials are not each compared with
    // every other.
    std::unordered_map<CString, std::size_t> groupOf;
    std::vector<std::vector<CMaterial*>> groups;
    for (CMaterial* material : m_materials) {
        const CTexture* texture = material->GetTexture();
        if (material->IsHidden() || texture == nullptr || texture->GetFileName().IsEmpty()) {
            continue;
        }
        CString name = texture->GetFileName();
        name.MakeLower();
        const auto [at, added] = groupOf.try_emplace(name, groups.size());
        if (added) {
            groups.emplace_back();
        }
        groups[at->second].push_back(material);
    }
    for (const std::vector<CMaterial*>& group : groups) {
        SharePicturesWithin(group);
    }
}

// A material the record names but does not list is no less the file's: a face read before
// or after may name it too, and a material let go here would be freed under it. The
// manager lists it, and it stays out of being current. One that another manager lists
// stays there.
void CMaterialManager::KeepStrayMaterial(CMaterial* material)
{
    if (material == nullptr || material->GetParent() != nullptr) {
        return;
    }
    AddMaterial(material);
}

void CMaterialManager::WriteRecord(CArchive& ar)
{
    CEntity::Serialize(ar);
    WriteReferences(ar, m_materials);
    ar.WriteObject(Contains(m_current) ? m_current : nullptr);
}

CMaterialManager* GetCurrentMaterialManager()
{
    CTarnwickModel* const model = GetCurrentModel();
    return model != nullptr ? model->GetMaterialManager() : nullptr;
}

int CMaterialManager::CheckValidity(int mode, CValidityResultMap* results)
{
    return RunDocumentCheck(*this, RUNTIME_CLASS(CMaterialManager), results, [&]() {
        CDocumentCheck check(*this, mode);
        check.Take(CEntity::CheckValidity(mode, results));
        for (std::size_t i = m_materials.size(); i-- > 0;) {
            CMaterial* material = m_materials[i];
            if (material == nullptr || !material->IsKindOf(RUNTIME_CLASS(CMaterial))) {
                check.Broken(kMsgMaterialManagerBadEntry, kValidityBroken, static_cast<int>(i));
            } else {
                check.Take(material->CheckValidity(mode, results));
            }
        }
        if (m_current != nullptr && !m_current->IsKindOf(RUNTIME_CLASS(CMaterial))) {
            check.Broken(kMsgMaterialManagerBadCurrent, kValidityBroken);
        }
        return check.GetSeverity();
    });
}
