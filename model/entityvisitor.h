#pragma once
// IEntityVisitor: what walks a model element by element to take its content out (an
// exporter, a counter): each drawing element offers itself through its Accept, and
// containers walk their contents between a begin and an end call. Every callback that
// answers a bool answers whether the walk goes on.

#include <vector>

#include "foundation/color.h"
#include "platform/cstring.h"

struct CBoundedLine3d;
struct CPoint3d;
class CDimension;
class CDrawingElement;
class CLayer;
class CText;
class CTransformation;

class IEntityVisitor
{
public:
    virtual ~IEntityVisitor() = default;

    // Whether the visitor takes the element at all; guides and polylines ask first.
    [[nodiscard]] virtual bool AcceptsElement(CDrawingElement* element) = 0;
    // A component instance: its definition's name, its transform, its colour (its own
    // material's, else the visitor's current colour) and its effective layer.
    virtual bool OnInstance(const CString& definitionName, const CTransformation& transform, CColor color,
                            CLayer* layer) = 0;
    // A component's contents follow between these two; false from the begin skips them.
    virtual bool BeginComponent(const CString& name, CLayer* layer) = 0;
    virtual bool EndComponent() = 0;
    // The colour that elements without a material of their own take, as a stack.
    virtual void PushColor(CColor color) = 0;
    virtual void PopColor() = 0;
    [[nodiscard]] virtual CColor GetCurrentColor() const = 0;
    virtual bool OnDimension(CDimension* dimension) = 0;
    virtual bool OnText(CText* text) = 0;
    // A guide line (or the line of a guide point's two points).
    virtual bool OnLine(const CBoundedLine3d& line, CColor color, CLayer* layer) = 0;
    virtual bool OnPolyline(CLayer* layer, CColor color, const std::vector<CPoint3d>& points) = 0;
};
