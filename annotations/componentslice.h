#pragma once
// CComponentSlice: the section cut of one component, its children the slices of its
// entities in container order, with the section plane's equation in the component's
// own coordinates. Owns its children.
//
// CDefinitionSlice: the cut of a component definition for one local plane; made once
// for each distinct plane and shared by every instance that sees the definition
// through that plane.

#include <cstdint>
#include <memory>
#include <vector>

#include "annotations/elementslice.h"
#include "foundation/plane3d.h"

class CComponent;
class CComponentDefinition;
class CDrawingElement;

class CComponentSlice : public CElementSlice
{
public:
    // Units of the frame meter for looking at a child while drawing, besides what the
    // child draws.
    static constexpr std::uint64_t kChildCost = 3;

    CComponentSlice(CComponent* component, const CPlane3d& plane);

    // Each child whose entity still exists (id above 0) and is shown; a selected one in
    // the selection colour. Stops where the frame must stop.
    void Draw(ITarnisView* view) override;

    [[nodiscard]] CComponent* GetComponent() const { return m_component; }
    [[nodiscard]] const CPlane3d& GetPlane() const { return m_plane; }
    void SetPlane(const CPlane3d& plane) { m_plane = plane; }
    [[nodiscard]] int GetChildCount() const { return static_cast<int>(m_children.size()); }
    [[nodiscard]] CElementSlice* GetChild(int index) const { return m_children[index].slice.get(); }
    void AddChild(CDrawingElement* entity, std::unique_ptr<CElementSlice> slice);

private:
    struct Child
    {
        CDrawingElement* entity;
        std::unique_ptr<CElementSlice> slice;
    };

    CComponent* m_component;
    CPlane3d m_plane;
    std::vector<Child> m_children;
};

class CDefinitionSlice : public CComponentSlice
{
public:
    CDefinitionSlice(CComponentDefinition* definition, const CPlane3d& plane);
};
