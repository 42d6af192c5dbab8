#include "document/pageoptions.h"

using orvell::utils::CTypedValue;

namespace {

CPageOptions* g_currentPageOptions = nullptr;

constexpr bool kDefaultShowTransition = true;

}  // namespace

CPageOptions::CPageOptions()
    : CFixedOptionsProvider({{"ShowTransition", CTypedValue::kBool, kDefaultShowTransition ? 1.0 : 0.0},
                             {"TransitionTime", CTypedValue::kDouble, CPageOptions::kDefaultTransitionTime}},
                            true)
{
}

CPageOptions::CPageOptions(const CPageOptions& other) = default;

CPageOptions::~CPageOptions()
{
    if (g_currentPageOptions == this) {
        g_currentPageOptions = nullptr;
    }
}

COptionsProvider* CPageOptions::Clone() const
{
    return new CPageOptions(*this);
}

void CPageOptions::MakeCurrent()
{
    g_currentPageOptions = this;
}

CPageOptions* CPageOptions::GetCurrent()
{
    return g_currentPageOptions;
}

bool IsTransitionEnabled()
{
    const CPageOptions* options = CPageOptions::GetCurrent();
    return options != nullptr ? options->IsShowTransition() : kDefaultShowTransition;
}

double GetTransitionTime()
{
    const CPageOptions* options = CPageOptions::GetCurrent();
    return options != nullptr ? options->GetTransitionTime() : CPageOptions::kDefaultTransitionTime;
}
