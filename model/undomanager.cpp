#include "model/undomanager.h"

#include <algorithm>

#include "model/dblistener.h"
#include "model/entity.h"
#include "model/undolog.h"
#include "model/undooperation.h"
#include "model/undosuspender.h"
#include "platform/folders.h"
#include "platform/profile.h"

namespace {

const char* const kResetLogLine = "File New\n";

int ReadStackDepth()
{
    const int depth = GetProfileInt("Undo", "StackDepth", CUndoManager::kDefaultStackDepth);
    // A negative depth would trim every operation the moment it is committed.
    return depth < 0 ? CUndoManager::kDefaultStackDepth : depth;
}

template <typename Call>
void ForEachListener(const std::vector<CDBListener*>& listeners, Call call)
{
    // A listener may unregister (and be deleted) while it is told; it is then passed over.
    const std::vector<CDBListener*> snapshot = listeners;
    for (std::size_t i = 0; i < snapshot.size(); ++i) {
        CDBListener* const listener = snapshot[i];
        if (std::find(listeners.begin(), listeners.end(), listener) != listeners.end()) {
            call(listener);
        }
    }
}

}  // namespace

CString GetUndoActionName(int /*nameId*/)
{
    // The action names are string resources of the user interface, which this program
    // does not carry yet; the log then shows an empty name.
    return {};
}

CUndoManager::CUndoManager(CTarnwickModel* model, int /*unused*/)
    : m_stackDepth(ReadStackDepth()), m_model(model)
{
    if (GetProfileBool("Undo", "Logging", true)) {
        // Not the shared temporary folder: there anyone could take the 20 names first and so
        // switch every other user's log off, and the logs of every run would pile up.
        const CString folder = GetUserRuntimeFolder();
        auto log = std::make_unique<CUndoLog>();
        if (!folder.IsEmpty() && log->Open(folder)) {
            m_log = std::move(log);
        }
    }
}

CUndoManager::~CUndoManager()
{
    if (GetCurrentUndoManager() == this) {
        SetCurrentUndoManager(nullptr);
    }
    Reset();
    m_listeners.clear();
    m_log.reset();
}

CUndoOperation* CUndoManager::Start(int nameId, bool joined, bool joinPrevious)
{
    if (!IsRecordingChanges() || m_stackDepth == 0) {
        return nullptr;
    }
    m_joinMarker = false;
    WriteLog(CString::Formatted("Start(%s)", GetUndoActionName(nameId)));
    NotifyStarted(nameId);
    if (m_openOperation == nullptr && m_nestingDepth == 0) {
        if (joinPrevious && !m_undoStack.empty() && !m_undoStack.back()->IsJoined()) {
            m_undoStack.back()->SetJoined(true);
            m_joinMarker = true;
        }
        ClearRedoStack();
        m_openOperation = std::make_unique<CUndoOperation>(this, nameId, joined);
    }
    ++m_nestingDepth;
    return m_openOperation.get();
}

int CUndoManager::Commit(int flags, int /*unused*/, bool /*noCheck*/)
{
    if (m_nestingDepth > 0) {
        --m_nestingDepth;
    }
    std::unique_ptr<CUndoOperation> operation = std::move(m_openOperation);
    if (operation == nullptr) {
        WriteLog("Commit(0)\n");
    } else if (operation->GetNameId() != kSilentCommitNameId) {
        WriteLog(CString::Formatted("Commit(%d)\n", operation->GetSequenceNumber()));
    }
    // Nested starts do not nest commits: the first commit closes the operation.
    m_nestingDepth = 0;
    if (operation == nullptr) {
        m_modified = true;
        m_joinMarker = false;
        return 0;
    }
    if (operation->IsEmpty() && (flags & kKeepEmptyOperation) == 0) {
        DropEmptyOperation(std::move(operation), flags);
        return 0;
    }
    const int sequenceNumber = operation->GetSequenceNumber();
    KeepOperation(std::move(operation), flags);
    TrimUndoStack();
    m_modified = true;
    m_joinMarker = false;
    return sequenceNumber;
}

void CUndoManager::DropEmptyOperation(std::unique_ptr<CUndoOperation> operation, int flags)
{
    NotifyCommitted(kDBCommitDropped, operation->GetNameId(), flags);
    operation.reset();
    // The previous operation was joined to one that never came to be.
    if (m_joinMarker && !m_undoStack.empty()) {
        m_undoStack.back()->SetJoined(false);
    }
    m_joinMarker = false;
}

void CUndoManager::KeepOperation(std::unique_ptr<CUndoOperation> operation, int flags)
{
    operation->SetCommitFlags(flags);
    if ((flags & kNoModifiedEvents) == 0) {
        for (CEntity* entity : operation->GetChangedEntities()) {
            NotifyListeners(kDBModified, entity);
        }
    }
    const int nameId = operation->GetNameId();
    m_undoStack.push_back(std::move(operation));
    NotifyCommitted(kDBCommitKept, nameId, flags);
}

void CUndoManager::TrimUndoStack()
{
    while (static_cast<int>(m_undoStack.size()) > m_stackDepth) {
        const std::unique_ptr<CUndoOperation> oldest = std::move(m_undoStack.front());
        m_undoStack.pop_front();
        WriteLog(CString::Formatted("~UndoOp(%d)\n", oldest->GetSequenceNumber()));
    }
}

void CUndoManager::Reset()
{
    WriteLog(kResetLogLine);
    m_openOperation.reset();
    ClearUndoStack();
    ClearRedoStack();
    m_modified = false;
    m_nestingDepth = 0;
    m_joinMarker = false;
}

void CUndoManager::EndLogAtExit()
{
    // The destruction resets the manager, which writes this line.
    WriteLog(kResetLogLine);
    m_log.reset();
}

void CUndoManager::ClearUndoStack()
{
    ClearStack(m_undoStack);
}

void CUndoManager::ClearRedoStack()
{
    ClearStack(m_redoStack);
}

void CUndoManager::ClearStack(OperationStack& stack)
{
    // Deleting an operation deletes the entities it holds as erased; nothing of that
    // may be recorded anew.
    const CUndoSuspender suspender;
    while (!stack.empty()) {
        // Out of the stack first, so nothing reached from its destructor sees it there.
        const std::unique_ptr<CUndoOperation> operation = std::move(stack.back());
        stack.pop_back();
    }
}

void CUndoManager::AddDBListener(CDBListener* listener)
{
    if (listener != nullptr) {
        m_listeners.push_back(listener);
    }
}

void CUndoManager::RemoveDBListener(CDBListener* listener)
{
    m_listeners.erase(std::remove(m_listeners.begin(), m_listeners.end(), listener), m_listeners.end());
}

void CUndoManager::NotifyListeners(int code, CEntity* entity, IEntityContainer* container)
{
    ForEachListener(m_listeners, [&](CDBListener* listener) {
        switch (code) {
        case kDBCreated:
            listener->OnEntityCreated(entity);
            break;
        case kDBModified:
            listener->OnEntityModified(entity);
            break;
        case kDBErased:
            listener->OnEntityErased(entity);
            break;
        case kDBAdded:
            listener->OnEntityAdded(entity, container);
            break;
        case kDBRemoved:
            listener->OnEntityRemoved(entity, container);
            break;
        default:
            break;
        }
    });
}

void CUndoManager::NotifyModelCleared(CTarnwickModel* model)
{
    ForEachListener(m_listeners, [model](CDBListener* listener) { listener->OnModelCleared(model); });
}

void CUndoManager::NotifyModelDeleted(CTarnwickModel* model)
{
    ForEachListener(m_listeners, [model](CDBListener* listener) { listener->OnModelDeleted(model); });
}

void CUndoManager::NotifyStarted(int nameId)
{
    ForEachListener(m_listeners, [nameId](CDBListener* listener) { listener->OnOperationStarted(0, nameId); });
}

void CUndoManager::NotifyCommitted(int code, int nameId, int flags)
{
    ForEachListener(m_listeners,
                    [=](CDBListener* listener) { listener->OnOperationCommitted(code, nameId, flags); });
}

void CUndoManager::WriteLog(const CString& text)
{
    if (m_log) {
        m_log->Write(text);
    }
}

bool CUndoManager::IsLogging() const
{
    return m_log != nullptr && m_log->IsOpen();
}

CString CUndoManager::GetLogPath() const
{
    return IsLogging() ? m_log->GetPath() : CString();
}
