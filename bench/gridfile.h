#pragma once
// Generated models' files in format 5000, each made once per builder and size for the
// benchmarks.

#include <map>
#include <utility>

#include "document/tarnwickmodel.h"
#include "foundation/versioninfo.h"
#include "samplegen/gridmodel.h"
#include "samplegen/modelfiles.h"

using ModelBuilder = void (*)(CTarnwickModel&, int);

inline const ModelBytes& BuiltModelFile(ModelBuilder build, int size)
{
    static std::map<std::pair<ModelBuilder, int>, ModelBytes> files;
    auto found = files.find({build, size});
    if (found == files.end()) {
        auto* model = new CTarnwickModel;
        build(*model, size);
        found = files.emplace(std::make_pair(build, size), WriteModelBytes(*model, kSaveFormat5000)).first;
        model->Release();
    }
    return found->second;
}

inline const ModelBytes& GridFile(int faces)
{
    return BuiltModelFile(&BuildGridModel, faces);
}
