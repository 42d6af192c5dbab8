#pragma once
// The hook through which the view starts a timed camera move. The animations live in
// the tools layer above the view, so that layer installs the factory at start-up;
// until it does, cameras are set at once. User-interface thread only.

class CCamera;
class IAnimation;
class ITarnisView;

using CameraTransitionFactory = IAnimation* (*)(const CCamera& from, const CCamera& to, double seconds);

void SetCameraTransitionFactory(CameraTransitionFactory factory);
// What the installed factory makes; null without one.
[[nodiscard]] IAnimation* CreateCameraTransition(const CCamera& from, const CCamera& to, double seconds);
// For more than 0.1 seconds, and with a factory installed: a transition from the view's
// camera to this one becomes the view's animation and takes its first step. False when
// the camera is to be set at once instead.
bool StartCameraTransition(ITarnisView& view, const CCamera& to, double seconds);
