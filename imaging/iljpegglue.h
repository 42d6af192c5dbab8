#pragma once
// The glue between libjpeg and the library: an error manager that turns libjpeg's fatal
// errors into a jump back to the codec (never an exception through libjpeg's frames), a
// destination manager that writes through a data sink in 8192-byte blocks, and a source
// manager over a file held whole in memory that ends damaged files with a fake
// end-of-image marker.

#include <csetjmp>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <optional>

#include <jpeglib.h>

#include "imaging/iltextexception.h"

class ILDataSink;

// The codec's error manager. A codec sets `jump` with setjmp before it calls libjpeg; a
// fatal error formats its message into `message` and jumps there. Callbacks that catch
// an ILTextException of their own store it in `*pending` (the codec's) before they report
// the failure. Standard layout, so that libjpeg's pointer to `pub` leads back to it.
struct ILJPEGErrorManager
{
    jpeg_error_mgr pub;  // must stay first: libjpeg sees only this part
    std::jmp_buf jump;
    char message[JMSG_LENGTH_MAX + 2];
    std::optional<ILTextException>* pending;
    // The library's code for the failure: noMemory when libjpeg ran out of memory or past
    // its limit, else notSupported.
    int code;
};

// Fills the manager with the codec's error exit and the codec's pending slot; libjpeg's
// warnings and trace messages are discarded.
void ILJPEGSetupErrors(ILJPEGErrorManager& manager, std::optional<ILTextException>* pending);

// Throws the pending exception when a callback stored one (and clears it), else raises
// the manager's code with libjpeg's message.
[[noreturn]] void ILJPEGRaiseFailure(ILJPEGErrorManager& manager);

// Gives the compression object a destination that writes to the sink (made once in the
// permanent pool, retargeted on later calls).
void jpeg_sink_dest(j_compress_ptr compressor, ILDataSink* sink);

// Gives the decompression object a source over size bytes at data. client_data becomes
// the data source; the progress routine is installed when the object has no monitor.
void jpeg_memory_src(j_decompress_ptr decompressor, const uint8_t* data, size_t size, void* dataSource,
                     void (*progress)(j_common_ptr));
