#pragma once
// The camera commands: each makes its tool and selects it on the current tool manager,
// in place of the active camera tool. Nothing happens without a current manager.
// User-interface thread only.

// The commands' ids.
inline constexpr int kOrbitCommandId = 10508;
inline constexpr int kPanCommandId = 10523;
inline constexpr int kZoomCommandId = 10509;
inline constexpr int kZoomWindowCommandId = 10526;
inline constexpr int kLookAroundCommandId = 10525;
inline constexpr int kWalkCommandId = 10520;
inline constexpr int kFieldOfViewCommandId = 21494;
inline constexpr int kExitCameraCommandId = 10530;

void SelectOrbitTool();
void SelectPanTool();
void SelectZoomTool();
void SelectZoomWindowTool();
void SelectLookAroundTool();
void SelectWalkTool();
void SelectFieldOfViewTool();
// The active camera tool ends.
void ExitCameraTool();
// Check state of a tool command: 1 when its tool is active, 2 when it waits suspended
// under another, else 0.
[[nodiscard]] int GetCameraToolCheck(int commandId);
