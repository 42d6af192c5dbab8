#include "app/toolbarbuttons.h"

#include "platform/ui/framewnd.h"

namespace {

constexpr const char* kVpng = "VPNG";
const CToolbarButton kSeparator{};

}  // namespace

const CToolbarDefinition& GetStandardToolbar()
{
    static const CToolbarDefinition bar{303, 10001, CBRS_ALIGN_TOP,
                                        {{57601, 439, 438, kVpng},
                                         kSeparator,
                                         {57607, 442, 440, kVpng},
                                         kSeparator,
                                         {10538, 444, 443, kVpng}}};
    return bar;
}

const CToolbarDefinition& GetCameraToolbar()
{
    static const CToolbarDefinition bar{360, 10000, CBRS_ALIGN_LEFT,
                                        {{10508, 400, 399, kVpng},
                                         {10523, 402, 401, kVpng},
                                         {10509, 393, 394, kVpng},
                                         {10526, 391, 392, kVpng},
                                         {10527, 396, 395, kVpng},
                                         {10529, 389, 390, kVpng},
                                         {10520, 397, 398, kVpng},
                                         {10525, 403, 404, kVpng}}};
    return bar;
}

const CToolbarDefinition& GetDisplayStyleToolbar()
{
    static const CToolbarDefinition bar{355, 10086, CBRS_ALIGN_LEFT,
                                        {{10513, 432, 433, kVpng},
                                         kSeparator,
                                         {10510, 424, 425, kVpng},
                                         {10511, 427, 426, kVpng},
                                         {10512, 428, 429, kVpng},
                                         {10539, 430, 388, kVpng}}};
    return bar;
}

const CToolbarDefinition& GetViewsToolbar()
{
    static const CToolbarDefinition bar{362, 10002, CBRS_ALIGN_TOP,
                                        {{10507, 450, 449, kVpng},
                                         {10501, 456, 455, kVpng},
                                         {10502, 448, 447, kVpng},
                                         {10503, 454, 452, kVpng},
                                         {10505, 446, 445, kVpng},
                                         {10504, 453, 451, kVpng}}};
    return bar;
}
