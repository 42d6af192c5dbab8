#pragma once
// CSlideshowOptions ("SlideshowOptions"): whether the slideshow starts again after the
// last page, and how long each page stays. The slideshow reads the current provider
// through GetLoopSlideshow and GetSlideTime; the current provider is used from the UI
// thread only.

#include "document/animationseconds.h"
#include "document/fixedoptionsprovider.h"

class CSlideshowOptions : public CFixedOptionsProvider
{
public:
    enum Key : int
    {
        kLoopSlideshow = 0,
        kSlideTime
    };

    static constexpr const char* kName = "SlideshowOptions";
    static constexpr double kDefaultSlideTime = 1.0;

    CSlideshowOptions();
    CSlideshowOptions(const CSlideshowOptions& other);
    CSlideshowOptions& operator=(const CSlideshowOptions&) = delete;
    ~CSlideshowOptions() override;

    [[nodiscard]] CString GetName() const override { return CString(kName); }
    [[nodiscard]] COptionsProvider* Clone() const override;
    void MakeCurrent() override;

    [[nodiscard]] bool IsLoopSlideshow() const { return GetBool(kLoopSlideshow); }
    // Seconds as stored, the default when not finite. The slideshow bounds what it holds.
    [[nodiscard]] double GetSlideTime() const
    {
        return RepairedSignedOptionSeconds(GetDouble(kSlideTime), kDefaultSlideTime);
    }

    [[nodiscard]] static CSlideshowOptions* GetCurrent();
};

// The current provider's values, else the defaults (loop, 1 second).
[[nodiscard]] bool GetLoopSlideshow();
[[nodiscard]] double GetSlideTime();
