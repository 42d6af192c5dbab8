// The model-record fuzz target starts from seeds written by this program: a face of
// a cube and a square with a hole, each as an object reference after a kind byte
// that asks for any class. With GLIMRA_WRITE_FUZZ_SEEDS set to a folder the seeds are
// written there; every run checks that the committed seeds read back whole.
#include "tests/model/topologytestsupport.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

using topologytest::Builder;
using Bytes = std::vector<BYTE>;

constexpr BYTE kAnyClass = 0xFF;

Bytes SeedFor(CFace* face)
{
    Bytes seed{kAnyClass};
    const Bytes record = entitytest::Store([&](CArchive& ar) { ar.WriteObject(face); });
    seed.insert(seed.end(), record.begin(), record.end());
    return seed;
}

void WriteSeed(const std::filesystem::path& folder, const char* name, const Bytes& seed)
{
    std::ofstream out(folder / name, std::ios::binary);
    out.write(reinterpret_cast<const char*>(seed.data()), static_cast<std::streamsize>(seed.size()));
}

TEST(ModelFuzzSeeds, TheCommittedSeedsReadBackAsFacesWithoutAnError)
{
    Builder builder;
    if (const char* folder = std::getenv("GLIMRA_WRITE_FUZZ_SEEDS")) {
        WriteSeed(folder, "cube-face.bin", SeedFor(builder.Cube()[0]));
        WriteSeed(folder, "square-with-hole.bin", SeedFor(builder.SquareWithHole()));
    }
    const std::filesystem::path seeds = std::filesystem::path(GLIMRA_SOURCE_DIR) / "fuzz/seeds/model_records";
    int read = 0;
    for (const auto& entry : std::filesystem::directory_iterator(seeds)) {
        std::ifstream in(entry.path(), std::ios::binary);
        const Bytes seed((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        ASSERT_FALSE(seed.empty());
        const Bytes record(seed.begin() + 1, seed.end());
        CObject* object = nullptr;
        entitytest::Load(record, [&](CArchive& ar) { object = ar.ReadObject(RUNTIME_CLASS(CFace)); });
        ASSERT_NE(object, nullptr) << entry.path();
        ++read;
        topologytest::EraseWithEdges({static_cast<CFace*>(object)});
    }
    EXPECT_GE(read, 2);
}

}  // namespace
