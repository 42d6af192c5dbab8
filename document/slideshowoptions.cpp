#include "document/slideshowoptions.h"

using orvell::utils::CTypedValue;

namespace {

CSlideshowOptions* g_currentSlideshowOptions = nullptr;

constexpr bool kDefaultLoopSlideshow = true;

}  // namespace

CSlideshowOptions::CSlideshowOptions()
    : CFixedOptionsProvider({{"LoopSlideshow", CTypedValue::kBool, kDefaultLoopSlideshow ? 1.0 : 0.0},
                             {"SlideTime", CTypedValue::kDouble, CSlideshowOptions::kDefaultSlideTime}},
                            true)
{
}

CSlideshowOptions::CSlideshowOptions(const CSlideshowOptions& other) = default;

CSlideshowOptions::~CSlideshowOptions()
{
    if (g_currentSlideshowOptions == this) {
        g_currentSlideshowOptions = nullptr;
    }
}

COptionsProvider* CSlideshowOptions::Clone() const
{
    return new CSlideshowOptions(*this);
}

void CSlideshowOptions::MakeCurrent()
{
    g_currentSlideshowOptions = this;
}

CSlideshowOptions* CSlideshowOptions::GetCurrent()
{
    return g_currentSlideshowOptions;
}

bool GetLoopSlideshow()
{
    const CSlideshowOptions* options = CSlideshowOptions::GetCurrent();
    return options != nullptr ? options->IsLoopSlideshow() : kDefaultLoopSlideshow;
}

double GetSlideTime()
{
    const CSlideshowOptions* options = CSlideshowOptions::GetCurrent();
    return options != nullptr ? options->GetSlideTime() : CSlideshowOptions::kDefaultSlideTime;
}
