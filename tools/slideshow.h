#pragma once
// CSlideshow: shows the pages that take part in the slideshow one after another, each
// reached by its page transition and then held for its slide time (at most ten minutes,
// whatever the page asks for). After the last page it starts again from the first when
// "LoopSlideshow" is on; otherwise it ends as soon as the last page is reached.

#include <memory>

#include "drawapi/animation.h"

class CViewPage;

class CSlideshow : public IAnimation
{
public:
    // Starts from the first page from this one on that takes part.
    CSlideshow(CViewPage* start, ITarnisView* view);
    CSlideshow(const CSlideshow&) = delete;
    CSlideshow& operator=(const CSlideshow&) = delete;
    ~CSlideshow() override;

    bool Step(ITarnisView* view) override;
    // Ends the running transition where it stands and forgets the pages.
    void Finish() override;
    // Holds the running transition's clock.
    void Pause(bool paused) override;
    void Release() override;
    // The running transition took its last step: the page rests until the next tick,
    // which holds it for its slide time or ends the slideshow.
    [[nodiscard]] bool HasReachedEnd() const override;

    // The page shown or about to be shown; null once the slideshow has ended.
    [[nodiscard]] CViewPage* GetCurrentPage() const { return m_current; }

private:
    struct CAnimationReleaser
    {
        void operator()(IAnimation* animation) const { animation->Release(); }
    };

    bool StartSlide(ITarnisView* view);
    // Moves on to the page after the current one and holds the current one meanwhile;
    // false when there is none. Without a transition the hold falls back on the
    // transition time when the slide time is negative.
    bool NextSlide(ITarnisView* view, bool withoutTransition);

    CViewPage* m_current = nullptr;
    CViewPage* m_previous = nullptr;
    std::unique_ptr<IAnimation, CAnimationReleaser> m_transition;
};

// The page itself when it takes part in the slideshow, else the first page after it
// that does (wrapping round the list), else the page itself.
[[nodiscard]] CViewPage* FindFirstSlidePage(CViewPage* page);

// The view's slideshow command: a running animation is stopped and nothing else
// happens; without a page that takes part the user is told so. Otherwise the slideshow
// starts from the selected page (the first page becomes selected when none is). With
// start it is handed to the view and stepped once; without, the caller owns it. Null
// when no slideshow was made or it ended in its first step.
CSlideshow* StartSlideshow(ITarnisView* view, bool start);
