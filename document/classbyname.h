#pragma once
// Some classes that components hold or read come from other parts of the model (section
// planes, construction lines, texts and dimensions, the component behaviour, thumbnails).
// Components know them by their registered names only, so that a component record reads
// and tests them through the same class table the archive uses.

class CArchive;
class CObject;
struct CRuntimeClass;

inline constexpr const char* kSectionPlaneClassName = "CSectionPlane";
inline constexpr const char* kConstructionLineClassName = "CConstructionLine";
inline constexpr const char* kTextClassName = "CText";
inline constexpr const char* kDimensionClassName = "CDimension";
inline constexpr const char* kComponentBehaviorClassName = "CComponentBehavior";
inline constexpr const char* kThumbnailClassName = "CThumbnail";

// False for null and when no class of that name is registered.
[[nodiscard]] bool IsKindOfNamed(const CObject* object, const char* className);
// A new object of the named class; null when no class of that name is registered.
[[nodiscard]] CObject* CreateNamedObject(const char* className);
// Reads an object reference that must be of the named class (null allowed). Throws the
// archive exception badClass for another class, and for any object when the class is
// not registered.
[[nodiscard]] CObject* ReadNamedObject(CArchive& ar, const char* className);
