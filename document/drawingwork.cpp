#include "document/drawingwork.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <unordered_map>
#include <vector>

#include "document/component.h"
#include "document/componentinstance.h"
#include "foundation/boundingbox3d.h"
#include "foundation/transformation.h"
#include "model/drawingelement.h"
#include "model/entity.h"
#include "model/face.h"
#include "platform/archive.h"
#include "platform/exceptions.h"

namespace {

constexpr std::uint64_t kCounted = CDrawingWork::kBudget + 1;

std::uint64_t AddWork(std::uint64_t a, std::uint64_t b)
{
    return std::min(a + b, kCounted);
}

// What drawing one component costs wherever it is placed: the work of its entities and
// of everything it places, the area of the faces drawn, and the box they are drawn in,
// all in the component's own axes.
struct Tally
{
    std::uint64_t work = 0;
    double area = 0.0;
    CBoundingBox3d box;
};

// Damaged numbers from a file count no area rather than all of it.
void AddArea(Tally& tally, double area)
{
    if (std::isfinite(area) && area > 0.0) {
        tally.area += area;
    }
}

void AddOwn(Tally& tally, const CDrawingElement& entity)
{
    tally.work = AddWork(tally.work, 1);
    // Nearly all the pixels are the faces'; lines and texts fill few.
    if (entity.GetTypeId() == kTypeFace) {
        entity.GetExtents(tally.box);
        AddArea(tally, static_cast<const CFace&>(entity).GetArea());
    }
}

// One placement of the component whose tally is given.
void AddPlaced(Tally& tally, const CDrawingElement& entity, const Tally& placed)
{
    tally.work = AddWork(tally.work, AddWork(CDrawingWork::kPlacementCost, placed.work));
    const auto* instance = dynamic_cast<const CComponentInstance*>(&entity);
    if (instance == nullptr) {
        AddArea(tally, placed.area);
        tally.box.Add(placed.box);
        return;
    }
    const CTransformation& transform = instance->GetTransform();
    const CVector3d scales = transform.GetScales();
    const double scale = std::max({scales.x, scales.y, scales.z});
    AddArea(tally, placed.area * scale * scale);
    if (!placed.box.IsEmpty()) {
        tally.box.Add(transform * placed.box);
    }
}

// How often the faces' area fills what the box shows of itself, seen from anywhere: half
// its surface.
double Coverage(const Tally& tally)
{
    if (tally.box.IsEmpty()) {
        return 0.0;
    }
    const double x = tally.box.xmax - tally.box.xmin;
    const double y = tally.box.ymax - tally.box.ymin;
    const double z = tally.box.zmax - tally.box.zmin;
    const double shown = x * y + y * z + z * x;
    const double coverage = tally.area / shown;
    return std::isfinite(coverage) ? coverage : 0.0;
}

// Depth first without recursion: nesting is limited, but cycles and chains made at run
// time need not be.
Tally CountFrom(const CComponent& root)
{
    struct Frame
    {
        const CComponent* component;
        std::size_t next = 0;
        Tally tally = {};
    };
    // Empty while the component is being counted.
    std::unordered_map<const CComponent*, std::optional<Tally>> counted;
    counted.emplace(&root, std::nullopt);
    std::vector<Frame> stack{{&root}};
    Tally total;
    while (!stack.empty()) {
        Frame& frame = stack.back();
        const std::vector<CDrawingElement*>& entities = frame.component->GetEntityList();
        bool descended = false;
        while (!descended && frame.next < entities.size()) {
            const CDrawingElement* entity = entities[frame.next++];
            if (entity == nullptr) {
                continue;
            }
            const CComponent* placed = entity->GetNestedComponent();
            if (placed == nullptr) {
                AddOwn(frame.tally, *entity);
                continue;
            }
            const auto [found, isNew] = counted.try_emplace(placed);
            if (isNew) {
                // Taken in once counted: the entity is visited again then.
                --frame.next;
                stack.push_back({placed});
                descended = true;
            } else {
                AddPlaced(frame.tally, *entity, found->second.value_or(Tally{}));
            }
        }
        if (descended) {
            continue;
        }
        Tally done = frame.tally;
        const CComponent* component = frame.component;
        stack.pop_back();
        if (stack.empty()) {
            total = done;
        } else {
            counted[component] = done;
        }
    }
    return total;
}

}  // namespace

std::uint64_t CDrawingWork::Count(const CComponent& root)
{
    const Tally tally = CountFrom(root);
    const double fill = Coverage(tally) * static_cast<double>(kCoverageCost);
    const auto fillWork = fill < static_cast<double>(kCounted) ? static_cast<std::uint64_t>(fill) : kCounted;
    return AddWork(tally.work, fillWork);
}

void CDrawingWork::Check(const CComponent& root, CArchive& ar)
{
    if (Count(root) > kBudget) {
        AfxThrowArchiveException(CArchiveException::genericException, ar.m_strFileName,
                                 "the model would draw too much to show");
    }
}
