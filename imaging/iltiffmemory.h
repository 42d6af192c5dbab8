#pragma once
// libtiff over memory: TIFF handles whose client procedures read a block held whole in
// memory or write into a growing byte vector, and error reporting that never leaves
// libtiff by an exception. libtiff's errors on such a handle are recorded in the
// handle's ILTIFFErrorState; the codec looks at it after each call and raises then.
//
// The library opens TIFF data only through these; libtiff's own openers by file name and
// descriptor are left as the system's libtiff has them, since replacing them would change
// them for everything else in the process.

#include <cstddef>
#include <cstdint>
#include <vector>

#include <tiffio.h>

// What libtiff reported on one handle.
struct ILTIFFErrorState
{
    char message[512] = {};  // the latest error, "" when none
    bool failed = false;     // an error was reported since the last Reset

    void Reset()
    {
        message[0] = '\0';
        failed = false;
    }
};

// The client data of a memory TIFF handle; it must outlive the handle.
struct ILTIFFMemory
{
    const uint8_t* readData = nullptr;    // reading: the block
    std::vector<uint8_t>* output = nullptr;  // writing: the bytes written so far
    uint64_t position = 0;
    uint64_t size = 0;  // bytes in the block, or in the output
    ILTIFFErrorState errors;
};

// Opens a TIFF over size bytes at data for reading. Null when libtiff refuses the data
// (memory.errors says why).
[[nodiscard]] TIFF* TIFFOpenMem(const uint8_t* data, size_t size, ILTIFFMemory& memory);

// Opens a new TIFF that writes into `output` (emptied first). Null when libtiff fails.
[[nodiscard]] TIFF* TIFFOpenMem(std::vector<uint8_t>& output, ILTIFFMemory& memory);

// Turns a recorded error into ILTextException badFormat with libtiff's text (through the
// library's raise routine). Nothing when no error was recorded.
void ILTIFFRaiseIfFailed(const ILTIFFErrorState& errors);
