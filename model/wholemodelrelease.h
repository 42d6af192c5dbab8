#pragma once
// CWholeModelRelease: the scope in which a model goes as a whole (emptied for another
// file or for Ctrl+N, or deleted). Taking its faces and edges apart one by one would
// mend the topology after each (rings closed, vertices' lists kept, arcs joined again)
// only for the mended parts to go next: seconds for a grid of ten million triangles.
// Within the scope a component lets its faces and edges go by discarding them, each
// freeing what it holds and telling no one, and nothing is recorded for undo. Its other
// elements are erased as ever before that, telling what refers to them, so that by then
// nothing refers to the faces and edges but what goes with them: a placing component
// goes before the component it places, and a label or a dimension hangs only on what
// its own component holds or places.
//
// Even discarded, ten million faces take a second or two to free. A program with an
// event loop says how it is woken for work it may do while idle (SetIdleWake): the faces
// and edges of a model of more than some 65,000 are then left pending, out of every list,
// and go in slices (LetGoSome), so that the next model shows and the window answers
// meanwhile; their memory goes back to the system as they go. Without a wake, and for a
// smaller model, they go at once. A long list tells its faces and edges from the rest by
// the blocks their slots are cut from, without reading them: reading ten million would
// keep the next model waiting.
//
// Nests; user-interface thread only, as the model is.

#include <chrono>
#include <functional>
#include <vector>

#include "model/undosuspender.h"

class CDrawingElement;

class CWholeModelRelease
{
public:
    CWholeModelRelease();
    ~CWholeModelRelease();
    CWholeModelRelease(const CWholeModelRelease&) = delete;
    CWholeModelRelease& operator=(const CWholeModelRelease&) = delete;

    [[nodiscard]] static bool IsActive();
    // Erases the elements other than faces and edges in list order, while the topology
    // they may point at is still whole, then discards the faces and edges with their
    // loops, uses, vertices and curves, or leaves them pending (the model being large and
    // a wake set) and calls the wake. The list is left empty.
    static void LetGo(std::vector<CDrawingElement*>& elements);

    // Called each time faces and edges are left pending; empty for none. Taking the wake
    // away leaves what is pending to LetGoPending or to the process's end.
    static void SetIdleWake(std::function<void()> wake);
    [[nodiscard]] static bool IsPending();
    // Discards pending faces and edges for about the given time; true while some remain
    // to go (when none do, the free heap has gone back to the system). Nothing goes once
    // the program is asked to end, which lets them go with the process: false then.
    static bool LetGoSome(std::chrono::milliseconds budget);
    // Discards every pending face and edge, also when the program is asked to end.
    static void LetGoPending();

private:
    CUndoSuspender m_suspender;
};
