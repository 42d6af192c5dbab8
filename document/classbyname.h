#pragma once
// Some classes that components hold or read come from other parts of the model (section
// planes, construction lines, texts and dimensions, the component behaviour, thumbnails).
// Components know them by their registered names only, so that a component record reads
// and tests them through the same class table the archive uses.

#include "platform/namedclass.h"

class CArchive;
class CObject;

inline constinit CNamedClass kSectionPlaneClass{"CSectionPlane"};
inline constinit CNamedClass kConstructionLineClass{"CConstructionLine"};
inline constinit CNamedClass kTextClass{"CText"};
inline constinit CNamedClass kDimensionClass{"CDimension"};
inline constinit CNamedClass kComponentBehaviorClass{"CComponentBehavior"};
inline constinit CNamedClass kThumbnailClass{"CThumbnail"};

// A new object of the named class; null when no class of that name is registered.
[[nodiscard]] CObject* CreateNamedObject(const CNamedClass& named);
// Reads an object reference that must be of the named class (null allowed). Throws the
// archive exception badClass for another class, and for any object when the class is
// not registered.
[[nodiscard]] CObject* ReadNamedObject(CArchive& ar, const CNamedClass& named);
