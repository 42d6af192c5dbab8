#pragma once
// Support for the tests of components, definitions, instances, axes and fonts: stand-ins
// for the behaviour and thumbnail classes while those are not linked in, a scoped map of
// a file's class versions, a builder of hand-made records that numbers classes and
// objects the way the archive does, and the placing of a definition's instances.

#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "document/component.h"
#include "document/componentdefinition.h"
#include "document/componentinstance.h"
#include "document/versionmap.h"
#include "foundation/point3d.h"
#include "foundation/transformation.h"
#include "foundation/vector3d.h"
#include "model/entity.h"
#include "platform/archive.h"
#include "platform/object.h"
#include "tests/model/entitytestsupport.h"

namespace componenttest {

using entitytest::Bytes;
using entitytest::Load;
using entitytest::Store;

// Stand-in behaviour with the record layout of its newest version: glued, cuts opening,
// the glue-to kind and a byte of display bits.
class CStandInBehavior : public CEntity
{
public:
    static const CRuntimeClass* GetThisClass()
    {
        static const CRuntimeClass cls{"CComponentBehavior", VERSIONABLE_SCHEMA | 4, &Create, CEntity::GetThisClass()};
        return &cls;
    }
    [[nodiscard]] const CRuntimeClass* GetRuntimeClass() const override { return GetThisClass(); }
    static CObject* Create() { return new CStandInBehavior; }

    void Serialize(CArchive& ar) override
    {
        CEntity::Serialize(ar);
        if (ar.IsStoring()) {
            ar << glued << cuts << kind << bits;
        } else {
            ar >> glued >> cuts >> kind >> bits;
        }
    }

    BYTE glued = 0;
    BYTE cuts = 0;
    std::int32_t kind = 0;
    BYTE bits = 0;
};

// Stand-in thumbnail: the entity part only.
class CStandInThumbnail : public CEntity
{
public:
    static const CRuntimeClass* GetThisClass()
    {
        static const CRuntimeClass cls{"CThumbnail", VERSIONABLE_SCHEMA | 1, &Create, CEntity::GetThisClass()};
        return &cls;
    }
    [[nodiscard]] const CRuntimeClass* GetRuntimeClass() const override { return GetThisClass(); }
    static CObject* Create() { return new CStandInThumbnail; }
};

// A new instance of the definition, moved by the shift and added to the component when
// one is given.
inline CComponentInstance* PlaceInstance(CComponentDefinition* definition, CComponent* into, const CVector3d& shift)
{
    auto* instance = new CComponentInstance;
    definition->AddInstance(instance);
    CTransformation placement;
    placement.SetTranslation(shift);
    instance->SetTransform(placement);
    if (into != nullptr) {
        into->Add(instance);
    }
    return instance;
}

// Registers the stand-ins under the real names unless the real classes exist.
inline void EnsureBehaviorAndThumbnailClasses()
{
    if (CRuntimeClass::FromName("CComponentBehavior") == nullptr) {
        AfxRegisterClass(CStandInBehavior::GetThisClass());
    }
    if (CRuntimeClass::FromName("CThumbnail") == nullptr) {
        AfxRegisterClass(CStandInThumbnail::GetThisClass());
    }
}

using VersionList = std::vector<std::pair<std::string, int>>;

// The versions of an old file: the entity and element parts at version 0 (no entity
// part, an element part of one colour word) and the managers at versions whose empty
// records are one count each. The given versions are added or replace these.
class OldFileVersions
{
public:
    explicit OldFileVersions(const VersionList& versions)
    {
        auto* map = new CVersionMap;
        const VersionList base = {{"CEntity", 0},          {"CDrawingElement", 0}, {"CMaterialManager", 1},
                                  {"CLayerManager", 4},    {"CRelationshipMap", 0}, {"CDefinitionList", 0},
                                  {"CComponentBehavior", 4}, {"CThumbnail", 1},     {"CFontManager", 0},
                                  {"CTwFont", 0},          {"CComponent", 11},     {"CComponentDefinition", 10},
                                  {"CComponentInstance", 4}, {"CGroup", 1},         {"CImage", 1},
                                  {"CTarnisCS", 0},        {"CMaterial", 12}};
        for (const auto& [name, version] : base) {
            map->SetVersion(name, version);
        }
        for (const auto& [name, version] : versions) {
            map->SetVersion(name, version);
        }
        SetLoadedVersionMap(map);
    }
    ~OldFileVersions() { SetLoadedVersionMap(nullptr); }
    OldFileVersions(const OldFileVersions&) = delete;
    OldFileVersions& operator=(const OldFileVersions&) = delete;
};

// Hand-made record bytes. Classes and objects share one numbering from 1, as in the
// archive; NewObject answers the new object's number for later references.
class RecordBuilder
{
public:
    RecordBuilder& Byte(BYTE value)
    {
        m_bytes.push_back(value);
        return *this;
    }
    RecordBuilder& Word(WORD value)
    {
        Byte(static_cast<BYTE>(value));
        return Byte(static_cast<BYTE>(value >> 8));
    }
    RecordBuilder& Int(std::int32_t value)
    {
        const auto bits = static_cast<std::uint32_t>(value);
        for (int shift = 0; shift < 32; shift += 8) {
            Byte(static_cast<BYTE>(bits >> shift));
        }
        return *this;
    }
    RecordBuilder& Long(std::int64_t value)
    {
        Int(static_cast<std::int32_t>(value & 0xFFFFFFFF));
        return Int(static_cast<std::int32_t>(value >> 32));
    }
    RecordBuilder& Double(double value)
    {
        std::uint64_t bits = 0;
        std::memcpy(&bits, &value, sizeof bits);
        return Long(static_cast<std::int64_t>(bits));
    }
    RecordBuilder& Point(const CPoint3d& p) { return Double(p.x).Double(p.y).Double(p.z); }
    RecordBuilder& Transform(const CTransformation& transform)
    {
        double numbers[CTransformation::kStoredNumberCount];
        transform.GetStoredNumbers(numbers);
        for (const double number : numbers) {
            Double(number);
        }
        return *this;
    }
    RecordBuilder& String(const CString& text)
    {
        const Bytes bytes = Store([&](CArchive& ar) { ArchiveWriteString(ar, text); });
        m_bytes.insert(m_bytes.end(), bytes.begin(), bytes.end());
        return *this;
    }
    RecordBuilder& Guid(std::uint32_t first)
    {
        Int(static_cast<std::int32_t>(first)).Word(2).Word(3);
        for (BYTE b = 0; b < 8; ++b) {
            Byte(b);
        }
        return *this;
    }
    RecordBuilder& Null() { return Word(0); }
    RecordBuilder& Ref(int index) { return Word(static_cast<WORD>(index)); }
    // The tag of a new object of the class; its record follows.
    int NewObject(const std::string& className)
    {
        const auto found = m_classes.find(className);
        if (found == m_classes.end()) {
            Word(0xFFFF).Word(0).Word(static_cast<WORD>(className.size()));
            for (const char ch : className) {
                Byte(static_cast<BYTE>(ch));
            }
            m_classes[className] = m_next++;
        } else {
            Word(static_cast<WORD>(0x8000 | found->second));
        }
        return m_next++;
    }
    // The element part of an old file: one colour word, no colour.
    RecordBuilder& ElementPart() { return Int(0); }
    // An empty material, layer and definition list, as components of version 9 on
    // store them.
    RecordBuilder& EmptyManagers() { return Int(0).Int(0).Int(0); }
    // A whole component part of version 11 with the given entity references.
    template <typename Entities>
    RecordBuilder& ComponentPart(Entities entities)
    {
        ElementPart().EmptyManagers();
        entities(*this);
        return Int(0).Null();  // no relationships, no active section plane
    }

    [[nodiscard]] const Bytes& Get() const { return m_bytes; }

private:
    Bytes m_bytes;
    std::map<std::string, int> m_classes;
    int m_next = 1;
};

}  // namespace componenttest
