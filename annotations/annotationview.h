#pragma once
// The view that annotations measure screen directions in when they change without a view
// at hand (a text moved by the entity merger): the program's active view. The windows
// install where it is found; until they do, and in tests without windows, there is none.

class ITarnisView;

// Answers the active view, or null.
using AnnotationViewSource = ITarnisView* (*)();

// Null removes the source.
void SetAnnotationViewSource(AnnotationViewSource source);
// The active view; null without a source or when no view is active.
[[nodiscard]] ITarnisView* GetAnnotationView();
