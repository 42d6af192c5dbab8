#include "imaging/iljpegglue.h"

#include <cstring>
#include <type_traits>

#include <jerror.h>

#include "imaging/ilcallbackguard.h"
#include "imaging/ildatasink.h"
#include "imaging/iltrace.h"

namespace {

constexpr size_t kOutputBlock = 8192;
const JOCTET kFakeEndOfImage[2] = {0xFF, JPEG_EOI};

struct SinkDestination
{
    jpeg_destination_mgr pub;
    ILDataSink* sink;
    JOCTET* buffer;
};

struct MemorySource
{
    jpeg_source_mgr pub;
};

ILJPEGErrorManager& ManagerOf(j_common_ptr info)
{
    return *reinterpret_cast<ILJPEGErrorManager*>(info->err);
}

void ErrorExit(j_common_ptr info)
{
    ILJPEGErrorManager& manager = ManagerOf(info);
    char text[JMSG_LENGTH_MAX];
    (*info->err->format_message)(info, text);
    std::snprintf(manager.message, sizeof manager.message, "%s\n", text);
    const int libjpegCode = info->err->msg_code;
    manager.code = libjpegCode == JERR_OUT_OF_MEMORY || libjpegCode == JERR_NO_BACKING_STORE
                       ? ILTextException::noMemory
                       : ILTextException::notSupported;
    std::longjmp(manager.jump, 1);
}

void DiscardMessage(j_common_ptr)
{
}

// Writes count bytes to the sink; false after storing the sink's exception.
bool WriteToSink(j_compress_ptr compressor, const JOCTET* data, size_t count)
{
    auto* destination = reinterpret_cast<SinkDestination*>(compressor->dest);
    return ILRunInCallback(*ManagerOf(reinterpret_cast<j_common_ptr>(compressor)).pending,
                           [&] { return destination->sink->WriteNBytes(count, data) == count; });
}

void InitDestination(j_compress_ptr compressor)
{
    auto* destination = reinterpret_cast<SinkDestination*>(compressor->dest);
    destination->buffer = static_cast<JOCTET*>((*compressor->mem->alloc_small)(
        reinterpret_cast<j_common_ptr>(compressor), JPOOL_IMAGE, kOutputBlock * sizeof(JOCTET)));
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = kOutputBlock;
}

boolean EmptyOutputBuffer(j_compress_ptr compressor)
{
    auto* destination = reinterpret_cast<SinkDestination*>(compressor->dest);
    if (!WriteToSink(compressor, destination->buffer, kOutputBlock)) {
        ERREXIT(compressor, JERR_FILE_WRITE);
    }
    destination->pub.next_output_byte = destination->buffer;
    destination->pub.free_in_buffer = kOutputBlock;
    return TRUE;
}

void TermDestination(j_compress_ptr compressor)
{
    auto* destination = reinterpret_cast<SinkDestination*>(compressor->dest);
    const size_t count = kOutputBlock - destination->pub.free_in_buffer;
    if (count != 0 && !WriteToSink(compressor, destination->buffer, count)) {
        ERREXIT(compressor, JERR_FILE_WRITE);
    }
}

void InitSource(j_decompress_ptr)
{
}

void TermSource(j_decompress_ptr)
{
}

// Called only when the data ran out: the picture ends here.
boolean FillInputBuffer(j_decompress_ptr decompressor)
{
    WARNMS(decompressor, JWRN_JPEG_EOF);
    decompressor->src->next_input_byte = kFakeEndOfImage;
    decompressor->src->bytes_in_buffer = 2;
    return TRUE;
}

void SkipInputData(j_decompress_ptr decompressor, long count)
{
    if (count <= 0) {
        return;
    }
    jpeg_source_mgr* source = decompressor->src;
    if (static_cast<size_t>(count) < source->bytes_in_buffer) {
        source->next_input_byte += count;
        source->bytes_in_buffer -= static_cast<size_t>(count);
    } else {
        FillInputBuffer(decompressor);
    }
}

}  // namespace

void ILJPEGSetupErrors(ILJPEGErrorManager& manager, std::optional<ILTextException>* pending)
{
    static_assert(std::is_standard_layout_v<ILJPEGErrorManager>);
    jpeg_std_error(&manager.pub);
    manager.pending = pending;
    manager.pub.error_exit = ErrorExit;
    manager.pub.output_message = DiscardMessage;
    manager.message[0] = '\0';
    manager.code = ILTextException::notSupported;
}

void ILJPEGRaiseFailure(ILJPEGErrorManager& manager)
{
    if (manager.pending && *manager.pending) {
        const ILTextException pending = **manager.pending;
        manager.pending->reset();
        throw pending;
    }
    ILRaiseError(manager.code, manager.message);
}

void jpeg_sink_dest(j_compress_ptr compressor, ILDataSink* sink)
{
    if (!compressor->dest) {
        compressor->dest = static_cast<jpeg_destination_mgr*>((*compressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(compressor), JPOOL_PERMANENT, sizeof(SinkDestination)));
    }
    auto* destination = reinterpret_cast<SinkDestination*>(compressor->dest);
    destination->pub.init_destination = InitDestination;
    destination->pub.empty_output_buffer = EmptyOutputBuffer;
    destination->pub.term_destination = TermDestination;
    destination->sink = sink;
    destination->buffer = nullptr;
}

void jpeg_memory_src(j_decompress_ptr decompressor, const uint8_t* data, size_t size, void* dataSource,
                     void (*progress)(j_common_ptr))
{
    if (!decompressor->src) {
        decompressor->src = static_cast<jpeg_source_mgr*>((*decompressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(decompressor), JPOOL_PERMANENT, sizeof(MemorySource)));
    }
    jpeg_source_mgr* source = decompressor->src;
    source->init_source = InitSource;
    source->fill_input_buffer = FillInputBuffer;
    source->skip_input_data = SkipInputData;
    source->resync_to_restart = jpeg_resync_to_restart;
    source->term_source = TermSource;
    source->next_input_byte = data;
    source->bytes_in_buffer = size;
    decompressor->client_data = dataSource;
    if (!decompressor->progress) {
        auto* monitor = static_cast<jpeg_progress_mgr*>((*decompressor->mem->alloc_small)(
            reinterpret_cast<j_common_ptr>(decompressor), JPOOL_PERMANENT, sizeof(jpeg_progress_mgr)));
        std::memset(monitor, 0, sizeof *monitor);
        monitor->progress_monitor = progress;
        decompressor->progress = monitor;
    }
}
