#pragma once
// Support for the tests of change recording: settings in a file of their own, the
// temporary and the runtime folder moved to a fresh folder (so the undo logs land there
// and go with it), a listener that writes down what it hears, and an entity that counts its
// copies and its deletion.

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

#include "model/dblistener.h"
#include "model/entity.h"
#include "model/undosuspender.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

namespace undotest {

// The settings and the temporary folder of one test; both vanish at its end. The
// current undo manager and the recording switch are put back as well.
class TestEnvironment
{
public:
    TestEnvironment()
    {
        static int serial = 0;
        m_folder = std::filesystem::temp_directory_path() /
                   ("glimra-undo-" + std::to_string(::getpid()) + "-" + std::to_string(++serial));
        std::filesystem::create_directories(m_folder);
        if (const char* tmp = std::getenv("TMPDIR")) {
            m_oldTmp = tmp;
            m_hadTmp = true;
        }
        ::setenv("TMPDIR", m_folder.c_str(), 1);
        // The folder is the user's runtime folder too, where the logs are written.
        std::filesystem::permissions(m_folder, std::filesystem::perms::owner_all);
        if (const char* runtime = std::getenv("XDG_RUNTIME_DIR")) {
            m_oldRuntime = runtime;
        }
        ::setenv("XDG_RUNTIME_DIR", m_folder.c_str(), 1);
        m_store = std::make_unique<CSettingsStore>(CString((m_folder / "settings.json").string()));
        SetProfileStore(m_store.get());
        m_previousManager = GetCurrentUndoManager();
        m_wasRecording = IsRecordingChanges();
    }
    ~TestEnvironment()
    {
        SetCurrentUndoManager(m_previousManager);
        SetRecordingChanges(m_wasRecording);
        SetProfileStore(nullptr);
        m_store.reset();
        if (m_hadTmp) {
            ::setenv("TMPDIR", m_oldTmp.c_str(), 1);
        } else {
            ::unsetenv("TMPDIR");
        }
        if (m_oldRuntime.has_value()) {
            ::setenv("XDG_RUNTIME_DIR", m_oldRuntime->c_str(), 1);
        } else {
            ::unsetenv("XDG_RUNTIME_DIR");
        }
        std::error_code ignored;
        std::filesystem::remove_all(m_folder, ignored);
    }
    TestEnvironment(const TestEnvironment&) = delete;
    TestEnvironment& operator=(const TestEnvironment&) = delete;

    [[nodiscard]] const std::filesystem::path& Folder() const { return m_folder; }
    [[nodiscard]] std::filesystem::path LogPath(int number) const
    {
        return m_folder / ("TarnwickUndo" + std::to_string(number) + ".log");
    }

private:
    std::filesystem::path m_folder;
    std::string m_oldTmp;
    bool m_hadTmp = false;
    std::optional<std::string> m_oldRuntime;
    std::unique_ptr<CSettingsStore> m_store;
    CUndoManager* m_previousManager = nullptr;
    bool m_wasRecording = true;
};

inline std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Writes every event down as one short line, e.g. "created 7" or "committed 4 20".
class RecordingListener : public CDBListener
{
public:
    void OnOperationStarted(int code, int nameId) override
    {
        events.push_back("started " + std::to_string(code) + " " + std::to_string(nameId));
    }
    void OnOperationCommitted(int code, int nameId, int /*flags*/) override
    {
        events.push_back("committed " + std::to_string(code) + " " + std::to_string(nameId));
    }
    // A new entity is told before it has its id.
    void OnEntityCreated(CEntity* entity) override
    {
        events.push_back("created");
        created.push_back(entity);
    }
    void OnEntityModified(CEntity* entity) override
    {
        events.push_back("modified " + Id(entity));
        modified.push_back(entity);
    }
    void OnEntityErased(CEntity* entity) override { events.push_back("erased " + Id(entity)); }
    void OnEntityAdded(CEntity* entity, IEntityContainer* /*container*/) override
    {
        events.push_back("added " + Id(entity));
    }
    void OnEntityRemoved(CEntity* entity, IEntityContainer* /*container*/) override
    {
        events.push_back("removed " + Id(entity));
    }
    void OnModelCleared(CTarnwickModel* /*model*/) override { events.push_back("model cleared"); }
    void OnModelDeleted(CTarnwickModel* /*model*/) override { events.push_back("model deleted"); }

    [[nodiscard]] int Count(const std::string& event) const
    {
        int count = 0;
        for (const std::string& e : events) {
            count += e == event ? 1 : 0;
        }
        return count;
    }

    std::vector<std::string> events;
    std::vector<CEntity*> modified;
    std::vector<CEntity*> created;

private:
    static std::string Id(const CEntity* entity) { return std::to_string(entity->GetId()); }
};

// An entity that counts the copies made of it and tells when it is deleted.
class CProbeEntity : public CEntity
{
public:
    explicit CProbeEntity(int* deleted = nullptr) : m_deleted(deleted) {}
    CProbeEntity(const CProbeEntity& other) : CEntity(other), m_deleted(nullptr), m_clones(other.m_clones) {}
    ~CProbeEntity() override
    {
        if (m_deleted != nullptr) {
            ++*m_deleted;
        }
    }

    [[nodiscard]] CEntity* Clone() const override
    {
        ++*m_clones;
        return new CProbeEntity(*this);
    }

    [[nodiscard]] int CloneCount() const { return *m_clones; }

private:
    int* m_deleted;
    std::shared_ptr<int> m_clones = std::make_shared<int>(0);
};

}  // namespace undotest
