#pragma once
// The generated grid's model file in format 5000, made once per size for the benchmarks.

#include <map>

#include "document/tarnwickmodel.h"
#include "foundation/versioninfo.h"
#include "samplegen/gridmodel.h"
#include "samplegen/modelfiles.h"

inline const ModelBytes& GridFile(int faces)
{
    static std::map<int, ModelBytes> files;
    auto found = files.find(faces);
    if (found == files.end()) {
        auto* model = new CTarnwickModel;
        BuildGridModel(*model, faces);
        found = files.emplace(faces, WriteModelBytes(*model, kSaveFormat5000)).first;
        model->Release();
    }
    return found->second;
}
