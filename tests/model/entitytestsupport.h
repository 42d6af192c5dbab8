#pragma once
// Support for the tests of the entity base, the drawing element, the consistency
// checks and the back-reference map: memory archives in a chosen save format, a file's
// class versions, settings that keep the undo log off, and an open undo operation.

#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <initializer_list>
#include <limits>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "document/loadsession.h"
#include "document/tarnwickmodel.h"
#include "document/versionmap.h"
#include "foundation/versioninfo.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

namespace entitytest {

using Bytes = std::vector<BYTE>;

// Writes in the given save format and restores the newest one afterwards.
inline Bytes Store(const std::function<void(CArchive&)>& write, int saveFormat = kSaveFormat5000)
{
    SetSaveFormat(saveFormat);
    CMemFile file;
    {
        CArchive ar(&file, CArchive::store);
        write(ar);
        ar.Close();
    }
    SetSaveFormat(kSaveFormat5000);
    return file.Detach();
}

// Reads with recording off, as the model file reader does.
inline void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    const CUndoSuspender suspender;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    read(ar);
}

// Reads inside a load session, as the model file reader does: a read that throws
// leaves what it made to the session, which frees it (the caller's objects must then
// hold none of it); a read that ends leaves it all to the caller, as Load does. The
// session drops the file's class versions when it frees; they are put back for the
// next read.
inline void LoadInSession(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    class KeptVersions
    {
    public:
        KeptVersions()
        {
            if (const CVersionMap* loaded = GetLoadedVersionMap()) {
                m_map = std::make_unique<CVersionMap>();
                for (const auto& [name, version] : loaded->GetEntries()) {
                    m_map->SetVersion(name, version);
                }
            }
        }
        ~KeptVersions()
        {
            if (m_map != nullptr && GetLoadedVersionMap() == nullptr) {
                SetLoadedVersionMap(m_map.release());
            }
        }
        KeptVersions(const KeptVersions&) = delete;
        KeptVersions& operator=(const KeptVersions&) = delete;

    private:
        std::unique_ptr<CVersionMap> m_map;
    };
    const KeptVersions versions;
    const CUndoSuspender suspender;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    CLoadSession session(nullptr, ar);
    read(ar);
    session.Commit();
}

// Little-endian pieces of hand-built records.
inline void PutWord(Bytes& out, WORD value)
{
    out.push_back(static_cast<BYTE>(value));
    out.push_back(static_cast<BYTE>(value >> 8));
}

inline void PutInt(Bytes& out, std::int32_t value)
{
    const auto bits = static_cast<std::uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8) {
        out.push_back(static_cast<BYTE>(bits >> shift));
    }
}

// An object reference: 0 is null, n is the n-th object the archive already knows.
inline void PutReference(Bytes& out, WORD index)
{
    PutWord(out, index);
}

// What a file may not hold where it stores a coordinate, a length or an angle.
inline constexpr double kNonFinite[] = {std::numeric_limits<double>::quiet_NaN(),
                                        std::numeric_limits<double>::infinity(),
                                        -std::numeric_limits<double>::infinity()};
inline constexpr const char* kNotFiniteReason = "a number is not finite";

// The bytes with the one double equal to `from` replaced by `to`; the test fails
// unless the bytes hold exactly one such double.
inline Bytes WithDoubleReplaced(Bytes bytes, double from, double to)
{
    std::size_t found = bytes.size();
    int count = 0;
    for (std::size_t i = 0; i + sizeof(double) <= bytes.size(); ++i) {
        if (std::memcmp(bytes.data() + i, &from, sizeof(double)) == 0) {
            found = i;
            ++count;
        }
    }
    EXPECT_EQ(count, 1) << "places holding " << from;
    if (count > 0) {
        std::memcpy(bytes.data() + found, &to, sizeof(double));
    }
    return bytes;
}

// The reason of the archive exception the action raises; empty when it raises none.
inline std::string ArchiveReason(const std::function<void()>& action)
{
    try {
        action();
    } catch (const CArchiveException& e) {
        return e.GetReason().ToUtf8();
    }
    return {};
}

// The class versions a file's map gives, for as long as the object lives.
class FileVersions
{
public:
    FileVersions(std::initializer_list<std::pair<const char*, int>> versions)
    {
        auto* map = new CVersionMap;
        for (const auto& [name, version] : versions) {
            map->SetVersion(name, version);
        }
        SetLoadedVersionMap(map);
    }
    ~FileVersions() { SetLoadedVersionMap(nullptr); }
    FileVersions(const FileVersions&) = delete;
    FileVersions& operator=(const FileVersions&) = delete;
};

// Settings held in memory only (a store without a file writes nothing), with the
// undo log off.
class QuietSettings
{
public:
    QuietSettings()
    {
        SetProfileStore(&m_store);
        WriteProfileBool("Undo", "Logging", false);
    }
    ~QuietSettings() { SetProfileStore(nullptr); }
    QuietSettings(const QuietSettings&) = delete;
    QuietSettings& operator=(const QuietSettings&) = delete;

private:
    CSettingsStore m_store{CString()};
};

// A current undo manager with one open operation. Erased entities end with it.
class OpenOperation
{
public:
    OpenOperation()
        : m_manager(std::make_unique<CUndoManager>(nullptr))
    {
        m_previous = SetCurrentUndoManager(m_manager.get());
        m_operation = m_manager->Start(1);
    }
    ~OpenOperation()
    {
        SetCurrentUndoManager(m_previous);
        m_manager.reset();
    }
    OpenOperation(const OpenOperation&) = delete;
    OpenOperation& operator=(const OpenOperation&) = delete;

    [[nodiscard]] CUndoOperation& Get() const { return *m_operation; }

private:
    QuietSettings m_settings;
    std::unique_ptr<CUndoManager> m_manager;
    CUndoManager* m_previous = nullptr;
    CUndoOperation* m_operation = nullptr;
};

// A current model with recording off, released at the end. The scope is taken before
// the model exists, because a new model's undo manager becomes current at once.
class CurrentModel
{
public:
    CurrentModel()
        : m_model(new CTarnwickModel)
    {
        m_model->MakeCurrent();
    }
    ~CurrentModel() { m_model->Release(); }
    CurrentModel(const CurrentModel&) = delete;
    CurrentModel& operator=(const CurrentModel&) = delete;

    [[nodiscard]] CTarnwickModel& Get() const { return *m_model; }

private:
    QuietSettings m_settings;
    CUndoSuspender m_suspender;
    CurrentModelScope m_scope;
    CTarnwickModel* m_model;
};

} // namespace entitytest
