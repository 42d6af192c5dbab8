#pragma once
// ILineProvider: anything that stands for a line, so that code needing one (snapping,
// dimensions, guides) can take an edge or a guide line alike.

#include "foundation/boundedline3d.h"

class ILineProvider
{
public:
    virtual ~ILineProvider() = default;
    // The object's line; an unbounded object answers unbounded parameters.
    [[nodiscard]] virtual CBoundedLine3d GetLine() const = 0;
};
