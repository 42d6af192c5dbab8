#pragma once
// Support shared by the tests of attributes and relationships: memory archives in a
// chosen save format, and an open undo operation without a model.

#include <functional>
#include <memory>
#include <string>
#include <vector>

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
    CArchive ar(&file, CArchive::store);
    write(ar);
    ar.Close();
    SetSaveFormat(kSaveFormat5000);
    return file.Detach();
}

// Reads with recording off, as the model file reader does; what the archive was told
// to delete is gone when the call returns.
inline void Load(const Bytes& bytes, const std::function<void(CArchive&)>& read)
{
    const CUndoSuspender suspender;
    CMemFile file(bytes.data(), static_cast<UINT>(bytes.size()));
    CArchive ar(&file, CArchive::load);
    read(ar);
}

// A current undo manager (its log off) with one open operation while the object
// lives; the entities erased meanwhile end with it.
class OpenOperation
{
public:
    OpenOperation()
    {
        SetProfileStore(&m_store);  // a store without file: nothing is written
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
    }
    OpenOperation(const OpenOperation&) = delete;
    OpenOperation& operator=(const OpenOperation&) = delete;

    [[nodiscard]] CUndoOperation& Get() const { return *m_operation; }

private:
    CSettingsStore m_store{CString()};
    std::unique_ptr<CUndoManager> m_manager;
    CUndoManager* m_previous = nullptr;
    CUndoOperation* m_operation = nullptr;
};

}  // namespace attributetest
