#include "model/undosuspender.h"

namespace {

CUndoManager* g_currentUndoManager = nullptr;

}  // namespace

void SetRecordingChanges(bool on)
{
    undodetail::g_recordingChanges = on;
}

CUndoManager* GetCurrentUndoManager()
{
    return g_currentUndoManager;
}

CUndoManager* SetCurrentUndoManager(CUndoManager* manager)
{
    CUndoManager* const previous = g_currentUndoManager;
    g_currentUndoManager = manager;
    return previous;
}

CUndoSuspender::CUndoSuspender(bool suspend) : m_wasRecording(undodetail::g_recordingChanges)
{
    if (suspend) {
        undodetail::g_recordingChanges = false;
    }
}

CUndoSuspender::~CUndoSuspender()
{
    if (m_wasRecording) {
        undodetail::g_recordingChanges = true;
    }
}
