#pragma once
// CSurveyAnswers: what the graphics-card survey reports: the user's answers and what
// the program reads itself (its version, the system, the OpenGL context, the display,
// the stored OpenGL configuration and the main view's pixel format).
#include <array>
#include <vector>

#include "platform/cstring.h"
#include "render/glcardslist.h"

struct CSurveyAnswers
{
    CString applicationName;
    CString applicationVersion;
    CString userName;
    CString companyName;
    CString computerName;
    CString osText;
    // The entry of the system combo: 0 unknown, then the systems it lists.
    int osIndex = 0;

    std::vector<CDisplayAdapter> adapters;
    // The chosen entry: an adapter, or adapters.size() for "Not on the list".
    int selectedAdapter = -1;
    CString typedCardName;
    CString glVendor;
    CString glRenderer;
    CString glVersion;
    CString gluVersion;
    CString colors;
    CString screenArea;
    CString pixelFormat;

    // The stored "Accelerated" value, and why it is off.
    bool accelerated = false;
    std::array<bool, 4> disabledReasons{};
    // Asked while acceleration is on or was tried.
    bool askEnabledProblems = true;
    std::array<bool, 4> enabledProblems{};
    CString problemsText;

    // The stored "ReversedPick" value, and whether it fixed the picking (0 yes, 1 no).
    bool reversedPicking = false;
    int reversedPickingFixed = 0;
};

// What the program knows without asking: read now, with the main view's context current.
[[nodiscard]] CSurveyAnswers CollectSurveyFacts();

// One "Label: value" line per fact and answer, each ending in a line feed.
[[nodiscard]] CString FormatSurveyReport(const CSurveyAnswers& answers);
