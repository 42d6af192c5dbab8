#include "foundation/repairnotes.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

CRepairNotes* g_innermost = nullptr;

}  // namespace

CRepairNotes::CRepairNotes() : m_previous(g_innermost)
{
    g_innermost = this;
}

CRepairNotes::~CRepairNotes()
{
    g_innermost = m_previous;
}

void CRepairNotes::Say(const char* note)
{
    if (g_innermost != nullptr) {
        std::vector<std::string>& said = g_innermost->m_said;
        // A handful of kinds of note at most: a search is cheaper than a set.
        if (std::find(said.begin(), said.end(), note) != said.end()) {
            return;
        }
        said.emplace_back(note);
    }
    // The note is the program's own text, never read from a file.
    std::fprintf(stderr, "glimra: %s\n", note);
}

bool MendNotFinite(double& value, double repair, const char* note)
{
    if (std::isfinite(value)) {
        return false;
    }
    value = repair;
    CRepairNotes::Say(note);
    return true;
}
