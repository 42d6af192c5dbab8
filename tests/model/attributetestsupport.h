#pragma once
// Support shared by the tests of attributes, relationships and the selection: memory
// archives in a chosen save format, and an open undo operation without a model.

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include <unistd.h>

#include "foundation/versioninfo.h"
#include "model/undomanager.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/archive.h"
#include "platform/memfile.h"
#include "platform/profile.h"
#include "platform/settingsstore.h"

namespace attributetest {

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

// Reads with recording off, as the model file reader does. The archive ends with the
// call, so whatever it was told to delete is gone afterwards.
inline void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    const CUndoSuspender suspender;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    read(ar);
}

// A current undo manager with one open operation, its log switched off, for as long as
// the object lives. Erased entities end with the manager.
class OpenOperation
{
public:
    OpenOperation()
        : m_settingsPath("/tmp/glimra-attributes-" + std::to_string(::getpid()) + ".json"),
          m_store(std::make_unique<CSettingsStore>(CString(m_settingsPath)))
    {
        SetProfileStore(m_store.get());
        WriteProfileBool("Undo", "Logging", false);
        m_manager = std::make_unique<CUndoManager>(nullptr);
        m_previous = SetCurrentUndoManager(m_manager.get());
        m_operation = m_manager->Start(1);
    }
    ~OpenOperation()
    {
        SetCurrentUndoManager(m_previous);
        m_manager.reset();
        SetProfileStore(nullptr);
        m_store.reset();
        std::remove(m_settingsPath.c_str());
    }
    OpenOperation(const OpenOperation&) = delete;
    OpenOperation& operator=(const OpenOperation&) = delete;

    [[nodiscard]] CUndoOperation& Get() const { return *m_operation; }

private:
    std::string m_settingsPath;
    std::unique_ptr<CSettingsStore> m_store;
    std::unique_ptr<CUndoManager> m_manager;
    CUndoManager* m_previous = nullptr;
    CUndoOperation* m_operation = nullptr;
};

}  // namespace attributetest
