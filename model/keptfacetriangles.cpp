#include "model/keptfacetriangles.h"

#include <algorithm>

namespace {

struct SStore
{
    std::vector<CKeptFaceTriangles::SEntry> entries;
    std::vector<std::int32_t> free;
    std::size_t indices = 0;
};

// Never destroyed: a face may be let go of during the program's exit.
SStore& Store()
{
    static auto* const store = new SStore;
    return *store;
}

}  // namespace

namespace {

// Every index names a corner of the face or an added corner before the one that uses it.
bool IndicesFit(const CKeptFaceTriangles::SEntry& entry)
{
    const std::size_t all = entry.corners + entry.added.size();
    for (std::size_t i = 0; i < entry.added.size(); ++i) {
        for (const std::uint32_t from : entry.added[i].from) {
            if (from >= entry.corners + i) {
                return false;
            }
        }
    }
    return std::all_of(entry.triangles.begin(), entry.triangles.end(), [all](std::uint32_t t) { return t < all; });
}

// In indices' room: an added corner takes three, an opening's corner six.
std::size_t SizeOf(const CKeptFaceTriangles::SEntry& entry)
{
    return entry.triangles.size() + 3 * entry.added.size() + 6 * entry.openings.size() + entry.openingEnds.size();
}

}  // namespace

bool CKeptFaceTriangles::SEntry::IsCutWith(std::size_t allCorners, const std::vector<CPoint3d>& theseOpenings,
                                           const std::vector<std::size_t>& theseEnds) const
{
    const auto same = [](const CPoint3d& a, const CPoint3d& b) { return a.x == b.x && a.y == b.y && a.z == b.z; };
    return corners == allCorners && openingEnds == theseEnds &&
           std::equal(openings.begin(), openings.end(), theseOpenings.begin(), theseOpenings.end(), same);
}

std::int32_t CKeptFaceTriangles::Keep(SEntry entry)
{
    SStore& store = Store();
    const std::size_t size = SizeOf(entry);
    if (entry.corners == 0 || store.indices + size > kMaxIndices ||
        store.entries.size() >= static_cast<std::size_t>(INT32_MAX - 1) || !IndicesFit(entry)) {
        return 0;
    }
    std::int32_t number = 0;
    if (!store.free.empty()) {
        number = store.free.back();
        store.free.pop_back();
    } else {
        store.entries.emplace_back();
        number = static_cast<std::int32_t>(store.entries.size());
    }
    store.indices += size;
    store.entries[static_cast<std::size_t>(number) - 1] = std::move(entry);
    return number;
}

const CKeptFaceTriangles::SEntry* CKeptFaceTriangles::Find(std::int32_t number)
{
    SStore& store = Store();
    if (number <= 0 || static_cast<std::size_t>(number) > store.entries.size()) {
        return nullptr;
    }
    const SEntry& entry = store.entries[static_cast<std::size_t>(number) - 1];
    return entry.corners == 0 ? nullptr : &entry;
}

void CKeptFaceTriangles::Release(std::int32_t number)
{
    SStore& store = Store();
    if (Find(number) == nullptr) {
        return;
    }
    SEntry& entry = store.entries[static_cast<std::size_t>(number) - 1];
    store.indices -= SizeOf(entry);
    entry = SEntry{};
    store.free.push_back(number);
}

std::size_t CKeptFaceTriangles::GetIndexCount()
{
    return Store().indices;
}
