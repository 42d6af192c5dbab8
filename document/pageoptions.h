#pragma once
// CPageOptions ("PageOptions"): whether a change of page is animated, and how long the
// move takes. Page transitions read the current provider through IsTransitionEnabled
// and GetTransitionTime; the current provider is used from the UI thread only.

#include "document/animationseconds.h"
#include "document/fixedoptionsprovider.h"

class CPageOptions : public CFixedOptionsProvider
{
public:
    enum Key : int
    {
        kShowTransition = 0,
        kTransitionTime
    };

    static constexpr const char* kName = "PageOptions";
    static constexpr double kDefaultTransitionTime = 1.5;

    CPageOptions();
    CPageOptions(const CPageOptions& other);
    CPageOptions& operator=(const CPageOptions&) = delete;
    ~CPageOptions() override;

    [[nodiscard]] CString GetName() const override { return CString(kName); }
    [[nodiscard]] COptionsProvider* Clone() const override;
    void MakeCurrent() override;

    [[nodiscard]] bool IsShowTransition() const { return GetBool(kShowTransition); }
    // Seconds, never negative: the file may hold any double. The transition bounds what
    // it plays.
    [[nodiscard]] double GetTransitionTime() const
    {
        return RepairedOptionSeconds(GetDouble(kTransitionTime), kDefaultTransitionTime);
    }

    [[nodiscard]] static CPageOptions* GetCurrent();
};

// The current provider's values, else the defaults (on, 1.5 seconds).
[[nodiscard]] bool IsTransitionEnabled();
[[nodiscard]] double GetTransitionTime();
