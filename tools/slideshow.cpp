#include "tools/slideshow.h"

#include "document/animationseconds.h"
#include "document/pageoptions.h"
#include "document/pagelist.h"
#include "document/slideshowoptions.h"
#include "document/tarnwickmodel.h"
#include "document/viewpage.h"
#include "drawapi/tarnisview.h"
#include "model/undosuspender.h"
#include "platform/ui/messagebox.h"

namespace {

constexpr int kNoSlidePageMessage = 10066;

bool HasSlidePage(const CPageList& pages)
{
    for (const CTarnwickPage* page : pages.GetPages())
        if (page->IsIncludedInAnimation())
            return true;
    return false;
}

}  // namespace

CViewPage* FindFirstSlidePage(CViewPage* page)
{
    if (page == nullptr || page->IsIncludedInAnimation())
        return page;
    const CPageList* pages = page->GetPageList();
    if (pages == nullptr)
        return page;
    const int count = pages->GetCount();
    const int index = pages->IndexOf(page);
    for (int step = 1; step <= count; ++step)
    {
        auto* candidate = dynamic_cast<CViewPage*>(pages->GetPage((index + step) % count));
        if (candidate != nullptr && candidate->IsIncludedInAnimation())
            return candidate;
    }
    return page;
}

CSlideshow::CSlideshow(CViewPage* start, ITarnisView* /*view*/) : m_current(FindFirstSlidePage(start)) {}

CSlideshow::~CSlideshow() = default;

bool CSlideshow::Step(ITarnisView* view)
{
    // Showing pages leaves nothing to undo.
    CUndoSuspender suspender;
    if (m_current == nullptr)
        return false;
    if (m_transition == nullptr)
        return StartSlide(view);
    if (m_transition->Step(view))
        return true;
    m_transition.reset();
    return NextSlide(view, false);
}

bool CSlideshow::StartSlide(ITarnisView* view)
{
    if (CPageList* pages = m_current->GetPageList())
        pages->SetSelectedPage(m_current);
    m_transition.reset(m_current->CreateTransition(view, m_previous));
    m_current->Activate();
    if (m_transition != nullptr)
        return m_transition->Step(view);
    if (view->GetModel() != nullptr)
        view->SetCamera(view->GetModel()->GetCamera(), 0.0);
    NotifyPageFrame(m_previous != nullptr ? m_previous->GetId() : 0, m_current->GetId(), 1.0);
    return NextSlide(view, true);
}

bool CSlideshow::NextSlide(ITarnisView* view, bool withoutTransition)
{
    const CPageList* pages = m_current != nullptr ? m_current->GetPageList() : nullptr;
    if (pages == nullptr)
        return false;
    int next = pages->IndexOf(m_current) + 1;
    if (next >= pages->GetCount())
    {
        if (!GetLoopSlideshow())
            return false;
        next = 0;
    }
    double hold = m_current->GetSlideTime();
    if (hold < 0.0 && withoutTransition)
        hold = GetTransitionTime();
    hold = PlayedSeconds(hold, kMaxSlideSeconds);
    m_previous = m_current;
    m_current = dynamic_cast<CViewPage*>(pages->GetPage(next));
    if (m_current == nullptr)
        return false;
    m_current = FindFirstSlidePage(m_current);
    view->SetAnimationInterval(hold);
    return true;
}

void CSlideshow::Finish()
{
    if (m_transition != nullptr)
        m_transition->Finish();
    m_transition.reset();
    m_current = nullptr;
    m_previous = nullptr;
}

bool CSlideshow::HasReachedEnd() const
{
    return m_transition != nullptr && m_transition->HasReachedEnd();
}

void CSlideshow::Pause(bool paused)
{
    if (m_transition != nullptr)
        m_transition->Pause(paused);
}

void CSlideshow::Release()
{
    delete this;
}

CSlideshow* StartSlideshow(ITarnisView* view, bool start)
{
    if (view->GetAnimation() != nullptr)
    {
        view->SetAnimation(nullptr);
        return nullptr;
    }
    CTarnwickModel* model = view->GetModel();
    CPageList* pages = model != nullptr ? model->GetPageList() : nullptr;
    if (pages == nullptr || !HasSlidePage(*pages))
    {
        AfxMessageBox(kNoSlidePageMessage);
        return nullptr;
    }
    CTarnwickPage* first = pages->GetSelectedPage();
    if (first == nullptr)
    {
        first = pages->GetPage(0);
        pages->SetSelectedPage(first);
    }
    auto* page = dynamic_cast<CViewPage*>(first);
    if (page == nullptr)
        return nullptr;
    auto* slideshow = new CSlideshow(page, view);
    if (start)
    {
        view->SetAnimation(slideshow);
        if (!slideshow->Step(view))
        {
            view->SetAnimation(nullptr);
            return nullptr;
        }
    }
    return slideshow;
}
