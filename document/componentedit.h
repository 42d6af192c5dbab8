#pragma once
// What an instance draws while a component is open for editing: the frame around the
// definition being edited with its component axes, and the axes of every instance of
// the open component.

class CComponentInstance;
class ITarnisView;

// The edit frame: when a component is open, the component-edit display is on and the
// view's instance path (with this instance) leads along the open path, the definition's
// box, grown by 30 pixels on every side, is drawn dashed in its own axes, the edges the
// eye sees light and the others dark; a plain component also shows its axes. The
// instance's transform is pushed on the view.
void DrawComponentEditFrame(ITarnisView* view, const CComponentInstance& instance);

// The instance axes: with the options' instance axes on, at full detail, an instance
// placed in the open component shows small axes at its placement. The instance's
// transform is not pushed on the view.
void DrawInstanceAxes(ITarnisView* view, const CComponentInstance& instance);
