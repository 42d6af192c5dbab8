#pragma once
// CLoadSession: the one owner of what a model-file read makes until the read ends.
// Objects a read creates are reachable from two places at once: the archive's object
// table (every object read through a reference) and the model's containers (once a
// record has added them). Neither may delete them alone, since the other still points
// at them. The session settles it when the read ends: a read that finishes hands the
// model over (Commit) and nothing is deleted; a read that fails first makes the model
// forget every object the read made, then deletes each of them exactly once, then
// empties the model, so that a failed load leaves an empty model and leaks nothing. A
// read given up for a quit, in a process that then lets its memory go with it
// (CQuitRequest::LeaveWorkAtQuit), leaves the model as far as it was read, abandoned
// (CTarnwickModel::AbandonAtExit): taking a large model apart takes seconds.
//
// Objects a record drops while reading go to CArchive::DeleteWhenClosed and are not
// the session's; their table entries read as null here. Helper objects that a record
// makes outside the table (a component definition's default layer or a colour
// material it made) are found through the components the read made; other helpers
// are handed over with AddHelper.
//
// While it stands, edge uses join long radial rings at their noted ends (CRadialTails).

#include <vector>

#include "model/radialtails.h"
#include "platform/types.h"

class CArchive;
class CObject;
class CTarnwickModel;
class CVersionMap;

class CLoadSession
{
public:
    // model may be null (the header-only reader): then nothing is forgotten or
    // emptied, only deleted. The archive and the model must outlive the session.
    CLoadSession(CTarnwickModel* model, CArchive& ar);
    // Discards unless the read was committed.
    ~CLoadSession();

    CLoadSession(const CLoadSession&) = delete;
    CLoadSession& operator=(const CLoadSession&) = delete;

    // An object the read made outside the archive's table that must go with a failed
    // read (its destructor frees only its own storage).
    void AddHelper(CObject* object);
    // The object now belongs elsewhere (or was erased).
    void RemoveHelper(CObject* object);

    // Installs the file's class-version map as the loaded map (which owns it from
    // then on, although the archive's table still names it); null installs none.
    void InstallVersionMap(CVersionMap* map);

    // The read finished: the model keeps what it holds.
    void Commit() { m_committed = true; }
    // The read failed: removes the loaded class-version map, resets the curve registry,
    // makes the model, and the entities the read did not make, forget what the read made
    // (their attribute containers too, as the archive noted them), deletes it once and
    // empties the model.
    // Never throws; a second call does nothing. Given up for a quit that leaves work
    // behind, only the shared state is reset and the model abandoned as it stands.
    void Discard() noexcept;

    // For a record that drops an object one of its references made (`known`: the
    // archive's count before that reference was read): everything the reference made lets
    // go of what was read before it and goes to the archive, which deletes it when it
    // closes; a later reference to any of it reads as null.
    static void DropMadeAfter(CArchive& ar, UINT known);

    // What Discard would delete: the distinct objects of the archive's table (but the
    // installed class-version map), the helpers, and what the components among them
    // hold that is not from the table. Sorted by address.
    [[nodiscard]] std::vector<CObject*> CollectMadeObjects() const;

private:
    void Leave() noexcept;

    CTarnwickModel* m_model;
    CArchive& m_ar;
    std::vector<CObject*> m_helpers;
    const CObject* m_versionMap = nullptr;
    bool m_committed = false;
    bool m_discarded = false;
    CRadialTails m_radialTails;
};
