#pragma once
// CKeptFrame: a frame of the view drawn beside the last whole one. A frame may stop
// before it is whole (input is waiting); the tools' front-buffer feedback then swaps to
// show the clean last frame, and the depth readers (the zoom window, centring on a
// pixel, the autopan, the drag motions' reference points) read the depths of the last
// frame drawn. Both must meet the last whole frame, not the cleared
// and half-drawn one: the frame is drawn into a back buffer of its own and becomes the
// one swapped and read only when it is kept.
//
// Begins on the device current at construction (an offscreen one; a window surface
// draws in place and keeps nothing); End before the swap; a frame not ended is dropped
// when this goes. User-interface thread, with the view's context current.

class CGLDevice;

class CKeptFrame
{
public:
    // Nothing when the frame is not one of the view's (a band, a thumbnail).
    explicit CKeptFrame(bool viewFrame);
    ~CKeptFrame();
    CKeptFrame(const CKeptFrame&) = delete;
    CKeptFrame& operator=(const CKeptFrame&) = delete;

    // A frame shown is kept; one input stopped is dropped, and the last whole frame comes
    // back. (A frame a quit stopped is shown as it stands: the program is ending.)
    void End(bool shown);

private:
    CGLDevice* m_device = nullptr;
};
