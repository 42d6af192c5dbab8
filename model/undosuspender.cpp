#include "model/undosuspender.h"

namespace {

bool g_recordingChanges = true;
CUndoManager* g_currentUndoManager = nullptr;

}  // namespace

bool IsRecordingChanges()
{
    return g_recordingChanges;
}

void SetRecordingChanges(bool on)
{
    g_recordingChanges = on;
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

CUndoSuspender::CUndoSuspender(bool suspend) : m_wasRecording(g_recordingChanges)
{
    if (suspend) {
        g_recordingChanges = false;
    }
}

CUndoSuspender::~CUndoSuspender()
{
    if (m_wasRecording) {
        g_recordingChanges = true;
    }
}
