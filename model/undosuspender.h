#pragma once
// The process-wide switch that decides whether changes to the model are recorded for
// undo, the scoped guard that turns it off for a block, and the undo manager that the
// entity hooks report to. Both globals are plain: the program has one UI thread.

class CUndoManager;

namespace undodetail {
// Read inline: every change to every entity asks, tens of millions of times in the read
// of a large model.
inline bool g_recordingChanges = true;
}  // namespace undodetail

// On from start-up.
[[nodiscard]] inline bool IsRecordingChanges()
{
    return undodetail::g_recordingChanges;
}
// Only the suspender and the undo manager's own stack clearing should need this.
void SetRecordingChanges(bool on);

// The undo manager of the current model, or null. Set together with the current model
// (document/tarnwickmodel.h); a new model's manager also becomes current when none is.
[[nodiscard]] CUndoManager* GetCurrentUndoManager();
// Returns the manager that was current before.
CUndoManager* SetCurrentUndoManager(CUndoManager* manager);

// Turns recording off while it lives (when asked to) and turns it back on at its end
// when it was on at construction. It never turns recording off at its end, so a block
// that switched recording on inside is not undone by an outer guard.
class CUndoSuspender
{
public:
    explicit CUndoSuspender(bool suspend = true);
    ~CUndoSuspender();

    CUndoSuspender(const CUndoSuspender&) = delete;
    CUndoSuspender& operator=(const CUndoSuspender&) = delete;

private:
    bool m_wasRecording;
};
