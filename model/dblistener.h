#pragma once
// CDBListener: hears every change that the undo manager records, as it happens, and
// the start and commit of every operation. Working objects that change the model over
// several steps, and the managers that must react to their entities' changes, register
// with the model's undo manager. Every hook does nothing unless overridden.

class CEntity;
class CTarnwickModel;
class IEntityContainer;

// The code that CUndoManager::NotifyListeners passes for each kind of event.
enum DBListenerCode
{
    kDBCreated = 0,
    kDBModified = 1,
    kDBErased = 2,
    kDBAdded = 3,
    kDBRemoved = 4,
    kDBModelCleared = 5,
};

// The code of the committed event: an operation that was kept, or one that was
// dropped because it recorded nothing.
enum DBCommitCode
{
    kDBCommitKept = 0,
    kDBCommitDropped = 4,
};

class CDBListener
{
public:
    virtual ~CDBListener() = default;

    // An operation was started (code 0) with the action's name id.
    virtual void OnOperationStarted(int /*code*/, int /*nameId*/) {}
    // An operation was committed: code kDBCommitKept or kDBCommitDropped.
    virtual void OnOperationCommitted(int /*code*/, int /*nameId*/, int /*flags*/) {}
    virtual void OnEntityCreated(CEntity* /*entity*/) {}
    virtual void OnEntityModified(CEntity* /*entity*/) {}
    virtual void OnEntityErased(CEntity* /*entity*/) {}
    virtual void OnEntityAdded(CEntity* /*entity*/, IEntityContainer* /*container*/) {}
    virtual void OnEntityRemoved(CEntity* /*entity*/, IEntityContainer* /*container*/) {}
    virtual void OnModelCleared(CTarnwickModel* /*model*/) {}
    virtual void OnModelDeleted(CTarnwickModel* /*model*/) {}
};
