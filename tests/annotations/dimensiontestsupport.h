#pragma once
// Support for the tests of dimensions, texts and their styles: records built field by
// field, reading one record at the class versions a file names (with the objects its
// references point at already known to the archive), and write-read-write round trips
// in each save format.

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>

#include "document/classregistration.h"
#include "document/versionmap.h"
#include "foundation/color.h"
#include "foundation/geometryarchive.h"
#include "foundation/point3d.h"
#include "foundation/vector3d.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "tests/model/entitytestsupport.h"

namespace dimensiontest {

using entitytest::Bytes;
using entitytest::FileVersions;

inline constexpr std::int32_t kEndMarker = 0x5A5A5A5A;

// A record written field by field with the archive's primitives.
class RecordBuilder
{
public:
    RecordBuilder() : m_archive(&m_file, CArchive::store) {}

    RecordBuilder& Int(std::int32_t value) { m_archive << value; return *this; }
    RecordBuilder& Double(double value) { m_archive << value; return *this; }
    RecordBuilder& Point(double x, double y, double z) { m_archive << CPoint3d(x, y, z); return *this; }
    RecordBuilder& Bool(bool value) { ArchiveWriteBool(m_archive, value); return *this; }
    RecordBuilder& String(const CString& value) { ArchiveWriteString(m_archive, value); return *this; }
    RecordBuilder& Color(CColor value) { m_archive << value; return *this; }
    // A reference to the n-th object the reading archive already knows; 0 is null.
    RecordBuilder& Reference(WORD index) { m_archive << index; return *this; }
    // The drawing-element part of version 0: a colour word, 0 for none.
    RecordBuilder& PlainElement() { return Int(0); }
    // A point-reference record of a free point, paths empty.
    RecordBuilder& FreePoint(double x, double y, double z, std::int32_t version = 4)
    {
        Int(1).Int(version).Point(x, y, z).Reference(0);
        if (version >= 1) {
            Reference(0);
        }
        Int(0);
        if (version >= 4) {
            Int(0);
        }
        return *this;
    }
    // A point-reference record on a known object (vertex kind 2).
    RecordBuilder& PointOn(WORD index, std::int32_t kind = 2)
    {
        return Int(kind).Int(4).Point(0, 0, 0).Reference(index).Reference(0).Int(0).Int(0);
    }

    [[nodiscard]] Bytes Build()
    {
        m_archive << kEndMarker;
        m_archive.Close();
        return m_file.Detach();
    }

private:
    CMemFile m_file;
    CArchive m_archive;
};

// Reads the record into the object at the given class versions, with the objects the
// references name mapped first; the record must end exactly at the end marker.
inline void ReadInto(CObject& object, const Bytes& bytes,
                     std::initializer_list<std::pair<const char*, int>> versions,
                     std::initializer_list<CObject*> known = {})
{
    const FileVersions fileVersions(versions);
    entitytest::Load(bytes, [&](CArchive& ar) {
        for (CObject* item : known) {
            ar.MapObject(item);
        }
        object.Serialize(ar);
        std::int32_t marker = 0;
        ar >> marker;
        EXPECT_EQ(marker, kEndMarker) << "the record read more or fewer bytes than it holds";
    });
}

// The record as the object writes it in the format, after the known objects.
inline Bytes Write(CObject& object, int format = kSaveFormat5000, std::initializer_list<CObject*> known = {})
{
    return entitytest::Store(
        [&](CArchive& ar) {
            for (CObject* item : known) {
                ar.MapObject(item);
            }
            object.Serialize(ar);
        },
        format);
}

// The bytes with the end marker that ReadInto looks for.
inline Bytes WithEndMarker(Bytes bytes)
{
    entitytest::PutInt(bytes, kEndMarker);
    return bytes;
}

// The cause of the archive exception the call raises; 0 when it raises none.
inline int ArchiveCause(const std::function<void()>& call)
{
    try {
        call();
    } catch (const CArchiveException& exception) {
        return exception.m_cause;
    }
    return 0;
}

// The class versions of a save format's map.
inline CVersionMap* CopyFormatMap(int format)
{
    RegisterModelClasses();
    const CVersionMap* source = format == kSaveFormat3000   ? GetVersionMapOldest()
                                : format == kSaveFormat4000 ? GetVersionMapPrevious()
                                                            : GetVersionMapCurrent();
    auto* copy = new CVersionMap;
    for (const auto& [name, version] : source->GetEntries()) {
        copy->SetVersion(name, version);
    }
    return copy;
}

// Reads what the format wrote into the object, at that format's class versions.
inline void ReadWritten(CObject& object, const Bytes& bytes, int format, std::initializer_list<CObject*> known = {})
{
    SetLoadedVersionMap(CopyFormatMap(format));
    entitytest::Load(bytes, [&](CArchive& ar) {
        for (CObject* item : known) {
            ar.MapObject(item);
        }
        object.Serialize(ar);
    });
    SetLoadedVersionMap(nullptr);
}

// Writes the object in the format, reads it into a new object at that format's
// versions, and answers whether writing the new one gives the same bytes. The new
// object goes to `check` before it is deleted.
template <typename T>
bool RoundTrips(T& original, int format, std::initializer_list<CObject*> known = {},
                const std::function<void(T&)>& check = {})
{
    const Bytes written = Write(original, format, known);
    T* read = new T;
    ReadWritten(*read, written, format, known);
    const bool same = Write(*read, format, known) == written;
    if (check) {
        check(*read);
    }
    delete read;
    return same;
}

inline constexpr int kFormats[] = {kSaveFormat5000, kSaveFormat4000, kSaveFormat3000};

}  // namespace dimensiontest
