#include "document/componentdefinition.h"

#include <algorithm>
#include <cmath>

#include "document/classbyname.h"
#include "document/componentbehavior.h"
#include "document/componentinstance.h"
#include "document/definitionlist.h"
#include "document/versionmap.h"
#include "foundation/geometryarchive.h"
#include "foundation/modelid.h"
#include "foundation/notificationcenter.h"
#include "foundation/repairnotes.h"
#include "model/entitycontainer.h"
#include "model/entitylist.h"
#include "model/entityset.h"
#include "model/entityvisitor.h"
#include "model/perimeterfinder.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/archive.h"

IMPLEMENT_SERIAL(CComponentDefinition, CComponent, VERSIONABLE_SCHEMA | 10)

namespace {

constexpr double kPointTolerance = 0.001;

bool DiffersFrom(const CPoint3d& a, const CPoint3d& b)
{
    return std::fabs(a.x - b.x) > kPointTolerance || std::fabs(a.y - b.y) > kPointTolerance ||
           std::fabs(a.z - b.z) > kPointTolerance;
}

}  // namespace

CComponentDefinition::CComponentDefinition()
{
    const CUndoSuspender suspender;
    SetLayer(nullptr);
    m_behavior = static_cast<CEntity*>(CreateNamedObject(kComponentBehaviorClass));
    if (m_behavior != nullptr) {
        m_behavior->SetParent(this);
    }
    EnsureThumbnail();
}

CComponentDefinition::CComponentDefinition(const CComponentDefinition& other)
    : CComponent(other),
      m_guid(other.m_guid),
      m_name(other.m_name),
      m_secondText(other.m_secondText),
      m_thirdText(other.m_thirdText),
      m_time(other.m_time),
      m_flag(other.m_flag),
      m_insertionPoint(other.m_insertionPoint),
      m_instances(other.m_instances),
      m_type(other.m_type),
      m_thumbnail(other.m_thumbnail),
      m_erased(true)
{
}

CComponentDefinition::~CComponentDefinition()
{
    if (m_erased) {
        return;
    }
    delete m_behavior;
    if (m_thumbnailMadeHere) {
        delete m_thumbnail;
    }
}

void CComponentDefinition::Serialize(CArchive& ar)
{
    CComponent::Serialize(ar);
    if (ar.IsLoading()) {
        ReadRecord(ar);
    } else {
        WriteRecord(ar);
    }
}

void CComponentDefinition::ReadRecord(CArchive& ar)
{
    const int version = GetLoadedClassVersion(RUNTIME_CLASS(CComponentDefinition));
    SerializeGuid(m_guid, ar);
    if (version >= 3) {
        m_name = ArchiveReadString(ar);
        m_secondText = ArchiveReadString(ar);
    }
    ReadThirdText(ar, version);
    LONGLONG time = 0;
    ar >> time;
    m_time = time;
    if (version >= 9) {
        m_flag = ArchiveReadBool(ar);
    }
    if (version >= 5) {
        // Nothing but a move of the definition uses the point, and then from the origin.
        ar >> AsStored(m_insertionPoint);
        (void)MendNotFinite(m_insertionPoint, CPoint3d(),
                            "a component's insertion point is not a finite number; it is read as the origin");
    }
    if (version < 6) {
        ReadOldInstances(ar);
    }
    if (version >= 2) {
        SerializeBehavior(ar);
    }
    if (version < 7) {
        SetLayer(nullptr);
    }
    if (version >= 8) {
        ar >> m_type;
    }
    bool thumbnailRead = false;
    if (version >= 10) {
        thumbnailRead = ReadThumbnail(ar);
    }
    EnsureThumbnail();
    m_thumbnailWaiting = !thumbnailRead && m_thumbnail != nullptr;
}

void CComponentDefinition::ReadThirdText(CArchive& ar, int version)
{
    if (version >= 4) {
        m_thirdText = ArchiveReadString(ar);
        return;
    }
    // Older files kept a list of texts; only the last one remains.
    const std::int32_t count = ReadReferenceCount(ar);
    for (std::int32_t i = 0; i < count; ++i) {
        m_thirdText = ArchiveReadString(ar);
    }
}

void CComponentDefinition::ReadOldInstances(CArchive& ar)
{
    const std::int32_t count = ReadReferenceCount(ar);
    m_instances.clear();
    for (std::int32_t i = 0; i < count; ++i) {
        // Each instance registers itself with its definition while it is read.
        (void)ArchiveReadComponentInstance(ar);
    }
}

void CComponentDefinition::SerializeBehavior(CArchive& ar)
{
    if (m_behavior == nullptr) {
        AfxThrowArchiveException(CArchiveException::badClass, ar.m_strFileName);
    }
    m_behavior->Serialize(ar);
}

bool CComponentDefinition::ReadThumbnail(CArchive& ar)
{
    auto* thumbnail = static_cast<CEntity*>(ReadNamedObject(ar, kThumbnailClass));
    // Without a picture in the file the empty thumbnail made with the definition stays:
    // a second one for each definition while a model is read would cost as much again.
    if (thumbnail == nullptr && m_thumbnailMadeHere) {
        return false;
    }
    // A thumbnail that another definition owns already would be erased twice.
    if (thumbnail != nullptr && thumbnail->GetParent() != nullptr && thumbnail->GetParent() != this) {
        AfxThrowArchiveException(CArchiveException::badIndex, ar.m_strFileName);
    }
    if (m_thumbnail != nullptr && m_thumbnail != thumbnail) {
        if (m_thumbnailMadeHere) {
            delete m_thumbnail;
        } else {
            // The archive may still hand the old thumbnail out to a later reference.
            ar.DeleteWhenClosed(m_thumbnail);
        }
    }
    m_thumbnail = thumbnail;
    m_thumbnailMadeHere = false;
    if (m_thumbnail != nullptr) {
        m_thumbnail->SetParent(this);
    }
    return m_thumbnail != nullptr;
}

void CComponentDefinition::EnsureThumbnail()
{
    if (m_thumbnail != nullptr) {
        return;
    }
    // The picture is rendered from the geometry when a view exists to render it.
    m_thumbnail = static_cast<CEntity*>(CreateNamedObject(kThumbnailClass));
    m_thumbnailMadeHere = m_thumbnail != nullptr;
    if (m_thumbnail != nullptr) {
        m_thumbnail->SetParent(this);
    }
}

void CComponentDefinition::WriteRecord(CArchive& ar)
{
    SerializeGuid(m_guid, ar);
    ArchiveWriteString(ar, m_name);
    ArchiveWriteString(ar, m_secondText);
    ArchiveWriteString(ar, m_thirdText);
    ar << static_cast<LONGLONG>(m_time);
    ArchiveWriteBool(ar, m_flag);
    ar << m_insertionPoint;
    SerializeBehavior(ar);
    ar << m_type;
    // A thumbnail still waiting for its picture is left out: the next read makes one
    // and waits again, where an empty one would never be drawn.
    ar.WriteObject(m_thumbnailWaiting ? nullptr : m_thumbnail);
}

void CComponentDefinition::Erase()
{
    RecordChange(true);
    m_erased = true;
    // Its instances may be gone already: nobody is told.
    m_perimeter.reset();
    if (m_behavior != nullptr) {
        m_behavior->Erase();
    }
    if (m_thumbnail != nullptr) {
        m_thumbnail->Erase();
    }
    CComponent::Erase();
}

void CComponentDefinition::Transform(const CTransformation& transform)
{
    if (transform.IsIdentity()) {
        return;
    }
    RecordChange(true);
    CComponent::Transform(transform);
    SetInsertionPoint(transform * m_insertionPoint, true);
    CTransformation inverse;
    if (!transform.GetInverse(inverse)) {
        return;
    }
    // A copy: compensating an instance must not disturb the walk.
    const std::vector<CComponentInstance*> instances(m_instances.begin(), m_instances.end());
    for (CComponentInstance* instance : instances) {
        instance->SetTransform(instance->GetTransform() * inverse);
    }
}

CEntity* CComponentDefinition::Clone() const
{
    return new CComponentDefinition(*this);
}

void CComponentDefinition::SwapData(CEntity& other)
{
    CComponent::SwapData(other);
    auto* definition = dynamic_cast<CComponentDefinition*>(&other);
    if (definition == nullptr) {
        return;
    }
    const bool typeDiffered = m_type != definition->m_type;
    std::swap(m_guid, definition->m_guid);
    std::swap(m_thirdText, definition->m_thirdText);
    std::swap(m_time, definition->m_time);
    std::swap(m_flag, definition->m_flag);
    m_instances.swap(definition->m_instances);
    std::swap(m_name, definition->m_name);
    std::swap(m_secondText, definition->m_secondText);
    std::swap(m_insertionPoint, definition->m_insertionPoint);
    std::swap(m_type, definition->m_type);
    std::swap(m_thumbnail, definition->m_thumbnail);
    DropPerimeterFinder();
    if (typeDiffered) {
        GetNotificationCenter().Post(kComponentTypeChangeNotification, this);
    }
}

int CComponentDefinition::CheckValidity(int mode, CValidityResultMap* results)
{
    int result = kValiditySound;
    if (StartValidityCheck(this, RUNTIME_CLASS(CComponentDefinition), results, result)) {
        return result;
    }
    result = CComponent::CheckValidity(mode, results);
    if (result == kValidityBroken) {
        return result;
    }
    if (m_name.IsEmpty()) {
        AppendValidityMessage("%s has no name", GetEntityLabel(this));
        auto* list = dynamic_cast<CDefinitionList*>(GetParent());
        if (list != nullptr && BeginRepair(mode)) {
            CString unique;
            list->MakeUniqueNameBySet(unique, CString("Component"), true);
            RecordChange(true);
            m_name = unique;
        } else {
            result = std::max(result, static_cast<int>(kValidityRepairable));
        }
    }
    if (!m_insertionPoint.IsValid()) {
        AppendValidityMessage("%s has an invalid insertion point", GetEntityLabel(this));
        result = kValidityBroken;
    }
    for (std::size_t i = 0; i < m_instances.size();) {
        if (dynamic_cast<CComponentInstance*>(static_cast<CEntity*>(m_instances[i])) != nullptr) {
            ++i;
            continue;
        }
        AppendValidityMessage("%s lists an entry that is no instance", GetEntityLabel(this));
        if (BeginRepair(mode)) {
            m_instances.EraseAt(i);
        } else {
            result = std::max(result, static_cast<int>(kValidityRepairable));
            ++i;
        }
    }
    result = std::max(result, CheckBehaviorClass(mode));
    if (m_thumbnail != nullptr && !kThumbnailClass.IsKindOf(m_thumbnail)) {
        AppendValidityMessage("%s holds a thumbnail of another class", GetEntityLabel(this));
        result = kValidityBroken;
    }
    if (kComponentBehaviorClass.IsKindOf(m_behavior)) {
        const int own = m_behavior->CheckValidity(mode, results);
        if (own != kValiditySound) {
            AppendValidityMessage("%s holds a damaged behaviour", GetEntityLabel(this));
            result = std::max(result, own);
        }
    }
    return SetCheckResult(result, results);
}

int CComponentDefinition::CheckBehaviorClass(int mode)
{
    if (kComponentBehaviorClass.IsKindOf(m_behavior)) {
        return kValiditySound;
    }
    AppendValidityMessage("%s holds a behaviour of another class", GetEntityLabel(this));
    if (kComponentBehaviorClass.Get() == nullptr || !BeginRepair(mode)) {
        return kValidityRepairable;
    }
    RecordChange(true);
    // Nothing else refers to an object of another class in the behaviour's place.
    delete m_behavior;
    m_behavior = static_cast<CEntity*>(CreateNamedObject(kComponentBehaviorClass));
    m_behavior->SetParent(this);
    return kValiditySound;
}

int CComponentDefinition::GetTypeId() const
{
    return kTypeComponentDefinition;
}

void CComponentDefinition::OnTransformChanged()
{
    for (CComponentInstance* instance : m_instances) {
        instance->OnTransformChanged();
    }
}

void CComponentDefinition::InvalidateBounds()
{
    // Every change to the entities ends here (removals, moves, the commit of an
    // operation that touched them), also while the bounds are already stale.
    DropPerimeterFinder();
    // The flag is cleared before the holders are told, which also ends the walk when
    // definitions hold each other.
    if (!AreBoundsValid()) {
        return;
    }
    CComponent::InvalidateBounds();
    InvalidateHolderBounds();
}

void CComponentDefinition::InvalidateHolderBounds() const
{
    for (const CComponentInstance* instance : m_instances) {
        if (CComponent* holder = instance->GetParentComponent()) {
            holder->InvalidateBounds();
        }
    }
}

void CComponentDefinition::AddEntityBounds(const CDrawingElement* entity) const
{
    const CTransformation& axes = GetComponentTransform();
    if (axes.IsIdentity()) {
        // The same box both ways: the extents are gathered once.
        CBoundingBox3d own;
        entity->GetExtents(own);
        GetBoundsCache().Add(own);
        GetSecondBoundsCache().Add(own);
        return;
    }
    CComponent::AddEntityBounds(entity);
    CTransformation toAxes;
    if (axes.GetInverse(toAxes)) {
        entity->AccumulateExtents(toAxes, GetSecondBoundsCache());
    }
}

void CComponentDefinition::AddPointToBounds(const CPoint3d& point)
{
    // Definitions cannot place themselves; the count only guards a broken model.
    static thread_local int depth = 0;
    if (depth >= kMaxNestingDepth) {
        return;
    }
    CComponent::AddPointToBounds(point);
    ++depth;
    for (const CComponentInstance* instance : m_instances) {
        if (CComponent* holder = instance->GetParentComponent()) {
            holder->AddPointToBounds(instance->GetTransform() * point);
        }
    }
    --depth;
}

void CComponentDefinition::Add(CEntity* entity)
{
    CComponent::Add(entity);
    DropPerimeterFinder();
    InvalidateHolderBounds();
}

CPerimeterFinder* CComponentDefinition::GetPerimeterFinder() const
{
    if (m_perimeter == nullptr) {
        const CUndoSuspender suspender;
        auto perimeter = std::make_unique<CPerimeterFinder>();
        const std::unique_ptr<IEntityIterator> entities(const_cast<CComponentDefinition*>(this)->NewIterator());
        perimeter->Find(entities.get(), GetComponentTransform());
        m_perimeter = std::move(perimeter);
    }
    return m_perimeter.get();
}

void CComponentDefinition::DropPerimeterFinder()
{
    if (m_perimeter == nullptr) {
        return;
    }
    m_perimeter.reset();
    OnTransformChanged();
}

void CComponentDefinition::AddInstance(CComponentInstance* instance)
{
    if (instance == nullptr) {
        return;
    }
    RecordChange(true);
    m_instances.push_back(instance);
    instance->SetDefinitionField(this);
}

void CComponentDefinition::RemoveInstance(CComponentInstance* instance)
{
    RecordChange(true);
    if (m_instances.EraseFirst(instance)) {
        instance->SetDefinitionField(nullptr);
    }
}

bool CComponentDefinition::HasInstance(const CComponentInstance* instance) const
{
    return std::find(m_instances.begin(), m_instances.end(), instance) != m_instances.end();
}

CComponentInstance* CComponentDefinition::GetInstance(int index) const
{
    if (index < 0 || static_cast<std::size_t>(index) >= m_instances.size()) {
        return nullptr;
    }
    return m_instances[static_cast<std::size_t>(index)];
}

void CComponentDefinition::SetName(const CString& name)
{
    if (name == m_name) {
        return;
    }
    RecordChange(true);
    m_name = name;
    GetNotificationCenter().Post(kComponentPropertiesNotification, this);
}

void CComponentDefinition::NewGuid()
{
    RecordChange(true);
    CreateGuid(m_guid);
}

void CComponentDefinition::SetFlag(bool flag)
{
    if (flag != m_flag) {
        RecordChange(true);
        m_flag = flag;
    }
}

void CComponentDefinition::SetInsertionPoint(const CPoint3d& point, bool applyBehaviour)
{
    CPoint3d stored = point;
    // A glued component stands on its base plane: its point stays in it.
    const auto* behavior = dynamic_cast<const CComponentBehavior*>(m_behavior);
    if (applyBehaviour && behavior != nullptr && behavior->IsGlued()) {
        stored.z = 0.0;
    }
    if (DiffersFrom(stored, m_insertionPoint)) {
        RecordChange(true);
        m_insertionPoint = stored;
    }
}

void CComponentDefinition::ResetInsertionPoint()
{
    SetInsertionPoint(CPoint3d(), false);
}

void CComponentDefinition::SetDefinitionType(std::int32_t type)
{
    if (type == m_type) {
        return;
    }
    RecordChange(true);
    m_type = type;
    GetNotificationCenter().Post(kComponentTypeChangeNotification, this);
}

bool CComponentDefinition::CanContain(const CComponent* component) const
{
    if (component == nullptr || component == this) {
        return false;
    }
    CEntitySet contained;
    const_cast<CComponent*>(component)->CollectDefinitions(contained, true);
    contained.Add(const_cast<CComponent*>(component));
    CEntitySet holders;
    CollectHolders(holders, true);
    holders.Add(const_cast<CComponentDefinition*>(this));
    for (CEntity* entity : contained) {
        if (holders.Contains(entity)) {
            return false;
        }
    }
    return true;
}

bool CComponentDefinition::CanPlaceIn(const CComponent* component) const
{
    const auto* definition = dynamic_cast<const CComponentDefinition*>(component);
    if (definition == nullptr) {
        // Any ordinary component may hold an instance unless it is this one.
        return component != nullptr && component != this;
    }
    return definition->CanContain(this);
}

void CComponentDefinition::CollectHolders(CEntitySet& holders, bool recursive) const
{
    // A worklist instead of recursion: holder chains may be long.
    std::vector<const CComponentDefinition*> pending{this};
    while (!pending.empty()) {
        const CComponentDefinition* definition = pending.back();
        pending.pop_back();
        for (const CComponentInstance* instance : definition->m_instances) {
            CComponent* holder = instance->GetParentComponent();
            if (holder == nullptr || !holders.Add(holder)) {
                continue;
            }
            const auto* holdingDefinition = dynamic_cast<const CComponentDefinition*>(holder);
            if (recursive && holdingDefinition != nullptr) {
                pending.push_back(holdingDefinition);
            }
        }
    }
}

bool CComponentDefinition::IsPlacedIn(const CComponent* component, bool recursive) const
{
    CEntitySet holders;
    CollectHolders(holders, recursive);
    return holders.Contains(const_cast<CComponent*>(component));
}

CComponentDefinition* ReadComponentDefinitionObject(CArchive& ar)
{
    return static_cast<CComponentDefinition*>(ar.ReadObject(RUNTIME_CLASS(CComponentDefinition)));
}

bool CComponentDefinition::Accept(IEntityVisitor* visitor)
{
    if (visitor == nullptr) {
        return true;
    }
    const CColor color = GetMaterialColor();
    const bool pushed = color != CColor();
    if (pushed) {
        visitor->PushColor(color);
    }
    bool result = true;
    if (visitor->BeginComponent(GetName(), GetEffectiveLayer())) {
        for (CDrawingElement* element : GetEntityList()) {
            element->Accept(visitor);
        }
        result = visitor->EndComponent();
    }
    if (pushed) {
        visitor->PopColor();
    }
    return result;
}
