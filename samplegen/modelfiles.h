#pragma once
// Writing a model in one of the three save formats, to memory or to a file, and
// reading it back, as the document does with a model file.

#include <string>
#include <vector>

#include "platform/types.h"

class CTarnwickModel;

using ModelBytes = std::vector<BYTE>;

// The model file in the save format (5000, 4000 or 3000). Throws what the records
// throw.
[[nodiscard]] ModelBytes WriteModelBytes(CTarnwickModel& model, int saveFormat);
// Reads the whole file into the model; the model's load status tells the outcome.
// Throws the archive exception on bad input.
void ReadModelBytes(const ModelBytes& bytes, CTarnwickModel& model);
// Writes the model file at the path; false when the file cannot be written.
bool WriteModelFile(CTarnwickModel& model, const std::string& path, int saveFormat);

// The offset of the eight-byte time stamp in a file the writer made in the save format:
// the only bytes in which two writes of the same model differ. The version text before
// it is longer in format 5000 than in the older two.
[[nodiscard]] std::size_t GetTimeStampOffset(int saveFormat);
