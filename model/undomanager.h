#pragma once
// CUndoManager: one per model. It opens and commits the undo operations into which the
// model's changes are recorded, keeps the committed ones on an undo stack of bounded
// depth, tells the registered database listeners of every recorded event, and writes
// a text log of operations. Replaying operations is not done here: the stacks are
// filled, trimmed and emptied only.
//
// Callers reach the manager through GetCurrentUndoManager() (model/undosuspender.h),
// which may be null: then nothing is recorded and nobody is told.

#include <deque>
#include <memory>
#include <vector>

#include "platform/cstring.h"

class CDBListener;
class CEntity;
class CTarnwickModel;
class CUndoLog;
class CUndoOperation;
class IEntityContainer;

class CUndoManager
{
public:
    // Commit flags.
    static constexpr int kKeepEmptyOperation = 0x400;
    static constexpr int kNoModifiedEvents = 0x100;
    // What the callers of this system pass to Commit.
    static constexpr int kDefaultCommitFlags = 3;
    // The name id of the operation whose commit writes no log line.
    static constexpr int kSilentCommitNameId = 20008;
    static constexpr int kDefaultStackDepth = 100;

    // Reads the stack depth ("Undo"/"StackDepth", default 100; 0 switches recording
    // off for this manager) and, unless "Undo"/"Logging" is off, opens the log; a log
    // that cannot be opened leaves logging off. The int is not used.
    explicit CUndoManager(CTarnwickModel* model, int unused = kDefaultStackDepth);
    // Clears the current-manager global when it names this manager, resets, and
    // closes the log.
    ~CUndoManager();

    CUndoManager(const CUndoManager&) = delete;
    CUndoManager& operator=(const CUndoManager&) = delete;

    // Opens an operation, or joins the open one when nested. Null when recording is
    // off or the stack depth is 0. joinPrevious marks the newest committed operation
    // as joined with the new one.
    CUndoOperation* Start(int nameId, bool joined = false, bool joinPrevious = false);
    // The first commit after any number of starts closes the operation. Returns its
    // sequence number, or 0 when none was open or it was empty and dropped.
    int Commit(int flags = kDefaultCommitFlags, int unused = 0, bool noCheck = false);

    // Forgets everything: the open operation and both stacks ("File New" in the log).
    void Reset();
    // The process is about to end with this manager and its model left whole: the log
    // gets what the manager's destruction writes and is closed; nothing else changes.
    void EndLogAtExit();
    void ClearUndoStack();
    void ClearRedoStack();

    // Appends (a listener added twice hears everything twice); null is ignored.
    void AddDBListener(CDBListener* listener);
    // Removes every registration of the listener.
    void RemoveDBListener(CDBListener* listener);
    [[nodiscard]] int GetDBListenerCount() const { return static_cast<int>(m_listeners.size()); }

    // Tells every listener, in registration order, of an entity event (DBListenerCode;
    // the container matters for kDBAdded and kDBRemoved only). kDBModelCleared is sent
    // with NotifyModelCleared.
    void NotifyListeners(int code, CEntity* entity, IEntityContainer* container = nullptr);
    void NotifyModelCleared(CTarnwickModel* model);
    void NotifyModelDeleted(CTarnwickModel* model);

    // Writes the text to the log as it stands and flushes; nothing while logging is off.
    void WriteLog(const CString& text);

    [[nodiscard]] CUndoOperation* GetOpenOperation() const { return m_openOperation.get(); }
    [[nodiscard]] int GetNestingDepth() const { return m_nestingDepth; }
    using OperationStack = std::deque<std::unique_ptr<CUndoOperation>>;
    [[nodiscard]] const OperationStack& GetUndoStack() const { return m_undoStack; }
    [[nodiscard]] const OperationStack& GetRedoStack() const { return m_redoStack; }
    [[nodiscard]] int GetStackDepth() const { return m_stackDepth; }
    [[nodiscard]] bool IsModified() const { return m_modified; }
    void SetModified(bool modified) { m_modified = modified; }
    [[nodiscard]] bool IsLogging() const;
    // Empty while logging is off.
    [[nodiscard]] CString GetLogPath() const;
    [[nodiscard]] CTarnwickModel* GetModel() const { return m_model; }

private:
    void NotifyStarted(int nameId);
    void NotifyCommitted(int code, int nameId, int flags);
    void DropEmptyOperation(std::unique_ptr<CUndoOperation> operation, int flags);
    void KeepOperation(std::unique_ptr<CUndoOperation> operation, int flags);
    void TrimUndoStack();
    static void ClearStack(OperationStack& stack);

    std::unique_ptr<CUndoOperation> m_openOperation;
    int m_nestingDepth = 0;
    OperationStack m_undoStack;  // oldest first
    OperationStack m_redoStack;  // oldest first
    int m_stackDepth = kDefaultStackDepth;
    bool m_modified = false;
    bool m_joinMarker = false;
    std::vector<CDBListener*> m_listeners;
    std::unique_ptr<CUndoLog> m_log;
    CTarnwickModel* m_model;
};

// The text of an action's name id, as the log shows it; empty for an id without text.
[[nodiscard]] CString GetUndoActionName(int nameId);
