#pragma once
// Where a component instance stands: the point of its definition it is placed by, and
// the face (or the instance holding that face) whose plane its base plane lies in.

#include "foundation/point3d.h"

class CComponent;
class CComponentInstance;
class CDrawingElement;
class CEntitySet;

// The box of the definition's entities under the identity, its centre or else its
// minimum corner, with z set to 0, taken through the instance's transform.
[[nodiscard]] CPoint3d GetInstanceReferencePoint(const CComponentInstance* instance, bool centre);

// The face at the instance's reference point, in the context component, whose plane is
// the instance's base plane (either orientation); the outermost instance holding the
// face when the face lies inside one. Paths whose first element is in the excluded set
// are passed over. Null when there is none.
[[nodiscard]] CDrawingElement* FindGlueTarget(const CComponentInstance* instance, CComponent* context,
                                              const CEntitySet* excluded, bool centre);
