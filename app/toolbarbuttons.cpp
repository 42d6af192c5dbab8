#include "app/toolbarbuttons.h"

#include "platform/ui/framewnd.h"

namespace {

constexpr const char* kSvg = "SVG";
const CToolbarButton kSeparator{};

}  // namespace

const CToolbarDefinition& GetStandardToolbar()
{
    static const CToolbarDefinition bar{303, 10001, CBRS_ALIGN_TOP,
                                        {{57601, 439, 438, kSvg},
                                         kSeparator,
                                         {57607, 442, 440, kSvg},
                                         kSeparator,
                                         {10538, 444, 443, kSvg}}};
    return bar;
}

const CToolbarDefinition& GetCameraToolbar()
{
    static const CToolbarDefinition bar{360, 10000, CBRS_ALIGN_LEFT,
                                        {{10508, 400, 399, kSvg},
                                         {10523, 402, 401, kSvg},
                                         {10509, 393, 394, kSvg},
                                         {10526, 391, 392, kSvg},
                                         {10527, 396, 395, kSvg},
                                         {10529, 389, 390, kSvg},
                                         {10520, 397, 398, kSvg},
                                         {10525, 403, 404, kSvg}}};
    return bar;
}

const CToolbarDefinition& GetDisplayStyleToolbar()
{
    static const CToolbarDefinition bar{355, 10086, CBRS_ALIGN_LEFT,
                                        {{10513, 432, 433, kSvg},
                                         kSeparator,
                                         {10510, 424, 425, kSvg},
                                         {10511, 427, 426, kSvg},
                                         {10512, 428, 429, kSvg},
                                         {10539, 430, 388, kSvg}}};
    return bar;
}

const CToolbarDefinition& GetViewsToolbar()
{
    static const CToolbarDefinition bar{362, 10002, CBRS_ALIGN_TOP,
                                        {{10507, 450, 449, kSvg},
                                         {10501, 456, 455, kSvg},
                                         {10502, 448, 447, kSvg},
                                         {10503, 454, 452, kSvg},
                                         {10505, 446, 445, kSvg},
                                         {10504, 453, 451, kSvg}}};
    return bar;
}
