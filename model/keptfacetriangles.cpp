#include "model/keptfacetriangles.h"

namespace {

// About 256 MB of indices at most: past it faces are cut anew at every draw, as before.
constexpr std::size_t kMaxIndices = std::size_t{1} << 26;

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

std::int32_t CKeptFaceTriangles::Keep(std::uint32_t corners, std::vector<std::uint32_t> triangles)
{
    SStore& store = Store();
    if (triangles.empty() || store.indices + triangles.size() > kMaxIndices ||
        store.entries.size() >= static_cast<std::size_t>(INT32_MAX - 1)) {
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
    store.indices += triangles.size();
    SEntry& entry = store.entries[static_cast<std::size_t>(number) - 1];
    entry.corners = corners;
    entry.triangles = std::move(triangles);
    return number;
}

const CKeptFaceTriangles::SEntry* CKeptFaceTriangles::Find(std::int32_t number)
{
    SStore& store = Store();
    if (number <= 0 || static_cast<std::size_t>(number) > store.entries.size()) {
        return nullptr;
    }
    const SEntry& entry = store.entries[static_cast<std::size_t>(number) - 1];
    return entry.triangles.empty() ? nullptr : &entry;
}

void CKeptFaceTriangles::Release(std::int32_t number)
{
    SStore& store = Store();
    if (Find(number) == nullptr) {
        return;
    }
    SEntry& entry = store.entries[static_cast<std::size_t>(number) - 1];
    store.indices -= entry.triangles.size();
    entry.corners = 0;
    std::vector<std::uint32_t>().swap(entry.triangles);
    store.free.push_back(number);
}

std::size_t CKeptFaceTriangles::GetIndexCount()
{
    return Store().indices;
}
