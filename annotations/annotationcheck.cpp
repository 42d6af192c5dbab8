#include "annotations/annotationcheck.h"

#include <cmath>

#include "foundation/tolerance.h"
#include "foundation/vector3d.h"

namespace {

struct MessageText
{
    int id;
    const char* format;
};

// The program's own sentences for these messages. A problem that repair mode mends has no
// line break of its own: the repair step appends one.
constexpr MessageText kMessageTexts[] = {
    {kMsgDimensionBadMode, "%s has an alignment mode outside 0 to 2."},
    {kMsgDimensionLabelImage, "The label image of %s is damaged.\n"},
    {kMsgStyleBadFont, "The font of %s is not a font.\n"},
    {kMsgStyleBadFontKind, "The font kind of %s lies outside 0 to 6.\n"},
    {kMsgStyleBadEndMark, "%s has an end-mark type outside 0 to 4."},
    {kMsgDimensionBadEdge, "%s measures something that is not an edge with an arc.\n"},
    {kMsgStyleBadThreshold, "%s has an oblique threshold that is not a number."},
    {kMsgDimensionBadVector, "%s has a normal or direction that is not a unit vector.\n"},
    {kMsgDimensionBadNumber, "%s holds a number that is not finite.\n"},
    {kMsgStyleBadPlacement, "%s has a label placement outside 0 to 4."},
    {kMsgTextBadScreenX, "%s has a screen x position outside the window."},
    {kMsgTextBadScreenY, "%s has a screen y position outside the window."},
    {kMsgTextBadLeader, "%s has a leader vector that is not finite.\n"},
    {kMsgTextBadNormal, "%s has a normal that is not a unit vector.\n"},
    {kMsgTextBadFont, "The font of %s fails its own check.\n"},
    {kMsgTextBadArrow, "%s has an arrow type outside 0 to 4."},
    {kMsgTextBadLeaderKind, "%s has a leader kind outside 0 to 2."},
    {kMsgTextBadSideMode, "%s has a side mode outside 0 to 2."},
};

}  // namespace

const char* GetAnnotationMessageFormat(int id)
{
    for (const MessageText& entry : kMessageTexts) {
        if (entry.id == id) {
            return entry.format;
        }
    }
    return "";
}

bool IsValidVector(const CVector3d& vector)
{
    return IsValidDouble(vector.x) && IsValidDouble(vector.y) && IsValidDouble(vector.z);
}

bool IsValidUnitVector(const CVector3d& vector)
{
    return IsValidVector(vector) && std::abs(vector.GetLengthSquared() - 1.0) <= 1e-6;
}
