#pragma once
// Support for the tests of guides, polylines, section planes and watermarks: the class
// versions of a save format as a file's map, the pieces of hand-built records, and a
// read that proves the record took exactly its own bytes.

#include <cstring>
#include <functional>
#include <initializer_list>
#include <set>

#include "document/versionmap.h"
#include "foundation/boundedline3d.h"
#include "foundation/point3d.h"
#include "foundation/versioninfo.h"
#include "model/undosuspender.h"
#include "model/validitylog.h"
#include "platform/exceptions.h"
#include "platform/memfile.h"
#include "tests/model/entitytestsupport.h"

namespace annotationtest {

using entitytest::Bytes;
using entitytest::Load;
using entitytest::PutInt;
using entitytest::PutReference;
using entitytest::PutWord;
using entitytest::Store;

inline constexpr int kFormats[] = {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000};
inline constexpr std::int32_t kEndMarker = 0x5A5A5A5A;

// The versions every class has in a save format, as the map of a file written in it.
class FormatVersions
{
public:
    explicit FormatVersions(int format)
    {
        int count = 0;
        const ClassVersionRow* rows = GetClassVersionTable(&count);
        auto* map = new CVersionMap;
        for (int i = 0; i < count; ++i) {
            const int version = format == kSaveFormat5000   ? rows[i].current
                                : format == kSaveFormat4000 ? rows[i].previous
                                                            : rows[i].oldest;
            if (version >= 0) {
                map->SetVersion(rows[i].name, version);
            }
        }
        SetLoadedVersionMap(map);
    }
    ~FormatVersions() { SetLoadedVersionMap(nullptr); }
    FormatVersions(const FormatVersions&) = delete;
    FormatVersions& operator=(const FormatVersions&) = delete;
};

inline void PutBool(Bytes& out, bool value)
{
    out.push_back(value ? 1 : 0);
}

inline void PutDouble(Bytes& out, double value)
{
    BYTE raw[sizeof value];
    std::memcpy(raw, &value, sizeof value);
    out.insert(out.end(), raw, raw + sizeof value);
}

inline void PutPoint(Bytes& out, const CPoint3d& p)
{
    for (const double value : {p.x, p.y, p.z}) {
        PutDouble(out, value);
    }
}

inline void PutDoubles(Bytes& out, std::initializer_list<double> values)
{
    for (const double value : values) {
        PutDouble(out, value);
    }
}

inline void PutInt64(Bytes& out, std::int64_t value)
{
    const auto bits = static_cast<std::uint64_t>(value);
    for (int shift = 0; shift < 64; shift += 8) {
        out.push_back(static_cast<BYTE>(bits >> shift));
    }
}

// The Unicode string form of an ASCII text shorter than 255 characters.
inline void PutString(Bytes& out, const char* text)
{
    out.push_back(0xFF);
    PutWord(out, 0xFFFE);
    const size_t length = std::strlen(text);
    out.push_back(static_cast<BYTE>(length));
    for (size_t i = 0; i < length; ++i) {
        PutWord(out, static_cast<WORD>(text[i]));
    }
}

// The entity and drawing-element parts of a default element as a file of the format
// holds them: no attributes, the material reference given (0 for none), casting and
// receiving shadows, the default layer.
inline Bytes ElementPart(int format, WORD material = 0)
{
    Bytes out;
    if (format != kSaveFormat3000) {
        PutReference(out, 0);
    }
    PutReference(out, material);
    for (const bool flag : {false, true, true, false, false}) {
        PutBool(out, flag);
    }
    if (format == kSaveFormat5000) {
        PutBool(out, false);
    }
    PutReference(out, 0);
    return out;
}

// The entity part of a format: only the attribute reference, which format 3000 lacks.
inline Bytes EntityPart(int format)
{
    Bytes out;
    if (format != kSaveFormat3000) {
        PutReference(out, 0);
    }
    return out;
}

// Reads a record of the format in place, with the objects mapped first (reference n is
// objects[n - 1]); the record must be followed by the end marker.
inline void ReadInPlace(CObject& object, int format, Bytes body, std::initializer_list<CObject*> objects = {})
{
    const FormatVersions versions(format);
    PutInt(body, kEndMarker);
    Load(body, [&](CArchive& ar) {
        for (CObject* mapped : objects) {
            ar.MapObject(mapped);
        }
        object.Serialize(ar);
        std::int32_t marker = 0;
        ar >> marker;
        EXPECT_EQ(marker, kEndMarker) << "format " << format;
    });
}

// Writes the object by reference in the format, reads it back under that format's map
// and hands the copy to the caller, who must dispose of it.
template <typename T>
T* RoundTrip(const T& object, int format, Bytes* written = nullptr)
{
    const Bytes bytes = Store([&](CArchive& ar) { ar.WriteObject(&object); }, format);
    if (written != nullptr) {
        *written = bytes;
    }
    const FormatVersions versions(format);
    CObject* read = nullptr;
    Load(bytes, [&](CArchive& ar) { read = ar.ReadObject(RUNTIME_CLASS(T)); });
    return static_cast<T*>(read);
}

// Entities made by a test are erased with recording off, which deletes them.
inline void Dispose(CEntity* entity)
{
    const CUndoSuspender suspender;
    entity->Erase();
}

// The check of the entity in the given mode with the bypass off and an empty log;
// the log is handed back through the second argument.
inline int CheckAlone(CEntity& entity, CString& log, int mode = kValidityModeCheck)
{
    const CValidityCheckScope scope;
    ClearValidityLog();
    const int severity = entity.CheckValidity(mode, nullptr);
    log = GetValidityLog();
    ClearValidityLog();
    return severity;
}

// Reads one object reference of any class from the bytes as the model-record fuzz
// target does, then deletes every object the archive made, once each. Answers the
// archive exception's cause, or -1 when the read went through.
inline int ReadAndDeleteEverything(const Bytes& bytes, int format)
{
    const FormatVersions versions(format);
    const CUndoSuspender suspender;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    int cause = -1;
    std::set<CObject*> made;
    {
        CArchive ar(&file, CArchive::load);
        try {
            (void)ar.ReadObject(nullptr);
        } catch (const CArchiveException& e) {
            cause = e.m_cause;
        }
        for (UINT i = 1; i <= ar.GetMapCount(); ++i) {
            if (CObject* object = ar.GetLoadedObject(i)) {
                made.insert(object);
            }
        }
    }
    for (CObject* object : made) {
        delete object;
    }
    return cause;
}

inline Bytes StoreObject(const CObject& object, int format)
{
    return Store([&](CArchive& ar) { ar.WriteObject(&object); }, format);
}

}  // namespace annotationtest
