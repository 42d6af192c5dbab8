#pragma once
// CDrawingGeneration: a count that moves on whenever the model changes in a way that a
// drawing could show: every change an entity records (whether or not an undo operation
// keeps it) and every change of an element's flags, the selection's among them. What
// the view keeps of a drawing is good only while the count is the one it was made at.
// User-interface thread only.

#include <cstdint>

class CDrawingGeneration
{
public:
    static void Advance() { ++s_count; }
    [[nodiscard]] static std::uint64_t Get() { return s_count; }

private:
    static std::uint64_t s_count;
};
