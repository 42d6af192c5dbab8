#pragma once
// IAnimation: something the view plays step by step on its timer: a camera or page
// transition, the slideshow, autopan, walking. The view owns the one that runs.

class ITarnisView;

class IAnimation
{
public:
    virtual ~IAnimation() = default;
    // One step; the animation sets the view's next interval itself. False when over.
    virtual bool Step(ITarnisView* view) = 0;
    // Jumps to the end state.
    virtual void Finish() = 0;
    virtual void Pause(bool paused) = 0;
    // Frees the animation; the view calls it instead of deleting.
    virtual void Release() = 0;
    // Whether the step taken last reached the end state: nothing moves any more, and the
    // next step answers false. The view draws that step's frame as the picture that stays.
    // An animation that runs until it is stopped (autopan, a walk) never reaches one.
    [[nodiscard]] virtual bool HasReachedEnd() const { return false; }
};

// The data of "Animation Notification".
struct CAnimationNotification
{
    static constexpr int kStarted = 0;
    static constexpr int kEnded = 2;

    int event;
    IAnimation* animation;
    ITarnisView* view;
};
