#include "render/frametimer.h"

#include <chrono>

namespace {

double SteadySeconds()
{
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// Read and set on the user-interface thread only.
CFrameTimer::Clock g_clock = nullptr;

}  // namespace

void CFrameTimer::SetClock(Clock clock)
{
    g_clock = clock;
}

double CFrameTimer::Now()
{
    return g_clock != nullptr ? g_clock() : SteadySeconds();
}
