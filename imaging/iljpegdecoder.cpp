#include "imaging/iljpegdecoder.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/ilexif.h"

namespace {

constexpr int kRowsPerCall = 32;
// A progressive file may hold any number of scans; beyond this many it is taken for a
// file built to keep the decoder busy.
constexpr int kMaxScans = 1000;

// Every 8x8 block of a component costs at least one bit of Huffman code (its DC
// difference) in the first scan that holds the component, so the data after the headers
// bounds the blocks. Arithmetic coding codes a solid picture of any size in a dozen bytes:
// there no bound exists, and the cap lets through 4 megapixels whatever the data, then
// 4096 blocks a byte.
constexpr std::int64_t kHuffmanBlocksPerByte = 8;
constexpr std::int64_t kHuffmanSlackBlocks = 64;
constexpr std::int64_t kArithmeticBlocksPerByte = 4096;
constexpr std::int64_t kArithmeticSlackBlocks = 65536;
// libjpeg holds a progressive or multi-scan picture's coefficients whole (2 bytes a sample):
// beyond this it stops with its out-of-memory error instead of asking the system for more.
constexpr long kMaxLibjpegMemory = 1L << 30;

ILJPEGErrorManager& ManagerOf(j_common_ptr info)
{
    return *reinterpret_cast<ILJPEGErrorManager*>(info->err);
}

}  // namespace

ILJPEGDecoder::ILJPEGDecoder()
{
    ILJPEGSetupErrors(m_errors, &m_pending);
    m_decompressor.err = &m_errors.pub;
    if (setjmp(m_errors.jump) == 0) {
        jpeg_create_decompress(&m_decompressor);
        m_created = true;
    }
}

ILJPEGDecoder::~ILJPEGDecoder()
{
    if (m_created) {
        jpeg_destroy_decompress(&m_decompressor);
    }
}

void ILJPEGDecoder::Close()
{
    m_exif.reset();
    if (m_created) {
        jpeg_abort_decompress(&m_decompressor);
    }
    ILPicDecoder::Close();
}

void ILJPEGDecoder::GetExifData(ILExif& exif) const
{
    if (m_exif) {
        exif = *m_exif;
    } else {
        exif.Clear();
    }
}

void ILJPEGDecoder::Fail()
{
    jpeg_abort_decompress(&m_decompressor);
    ILJPEGRaiseFailure(m_errors);
}

void ILJPEGDecoder::Open(ILDataSource& source)
{
    if (!m_created) {
        RaiseError(ILTextException::noMemory, "Out of memory.");
    }
    m_pending.reset();
    m_decompressor.mem->max_memory_to_use = kMaxLibjpegMemory;
    const int64_t size = source.GetBytesLeft();
    const uint8_t* data = source.ReadEverything();
    m_exif = std::make_unique<ILExif>();
    if (!ReadHeaderWithLibjpeg(data, static_cast<size_t>(size), &source)) {
        Fail();
    }
    ReadExif();
    const int64_t pixels = static_cast<int64_t>(m_decompressor.image_width) * m_decompressor.image_height;
    if (pixels > ILBmp::GetMaxPixels()) {
        jpeg_abort_decompress(&m_decompressor);
        RaiseError(ILTextException::noMemory, "JPEG image too large.");
    }
    // A few hundred bytes may declare a picture of a gigabyte: it is refused before the
    // bitmap or libjpeg's buffers are made.
    if (MostBlocks() > MostBlocksFor(EntropyBytesLeft(data, size))) {
        jpeg_abort_decompress(&m_decompressor);
        RaiseError(ILTextException::endOfData, "JPEG data is too short for the picture size its header declares.");
    }
    SetDescription();
}

int64_t ILJPEGDecoder::MostBlocks() const
{
    int64_t most = 0;
    for (int c = 0; c < m_decompressor.num_components; ++c) {
        const jpeg_component_info& component = m_decompressor.comp_info[c];
        most = std::max(most, static_cast<int64_t>(component.width_in_blocks) * component.height_in_blocks);
    }
    return most;
}

int64_t ILJPEGDecoder::MostBlocksFor(int64_t entropyBytes) const
{
    return m_decompressor.arith_code ? kArithmeticBlocksPerByte * entropyBytes + kArithmeticSlackBlocks
                                     : kHuffmanBlocksPerByte * entropyBytes + kHuffmanSlackBlocks;
}

// What follows the first scan's header; none when libjpeg already reads its fake end marker.
int64_t ILJPEGDecoder::EntropyBytesLeft(const uint8_t* data, int64_t size) const
{
    const JOCTET* next = m_decompressor.src->next_input_byte;
    if (next < data || next > data + size) {
        return 0;
    }
    return static_cast<int64_t>(m_decompressor.src->bytes_in_buffer);
}

// Damaged metadata does not cost the picture: the block is dropped and the trace says why.
void ILJPEGDecoder::ReadExif()
{
    try {
        m_exif->ReadFromMarkers(&m_decompressor);
    } catch (const ILTextException& e) {
        m_exif->Clear();
        Trace(2, (std::string("JPEG decoder: EXIF data dropped: ") + e.GetText() + "\n").c_str());
    } catch (...) {
        jpeg_abort_decompress(&m_decompressor);
        throw;
    }
}

bool ILJPEGDecoder::ReadHeaderWithLibjpeg(const uint8_t* data, size_t size, ILDataSource* source)
{
    if (setjmp(m_errors.jump)) {
        return false;
    }
    jpeg_memory_src(&m_decompressor, data, size, source, ReportProgress);
    jpeg_save_markers(&m_decompressor, JPEG_APP0 + 1, 0xFFFF);
    jpeg_read_header(&m_decompressor, TRUE);
    return true;
}

void ILJPEGDecoder::SetDescription()
{
    const bool grey = m_decompressor.out_color_space == JCS_GRAYSCALE;
    int x = m_decompressor.X_density;
    int y = m_decompressor.Y_density;
    if (x == 1 || y == 1) {
        x = 0;  // an aspect ratio, not a density
        y = 0;
    } else if (m_decompressor.density_unit == 2) {
        x = static_cast<int>(x * 2.54);
        y = static_cast<int>(y * 2.54);
    }
    SetBmpInfo(ILPoint(static_cast<int>(m_decompressor.image_width), static_cast<int>(m_decompressor.image_height)),
               grey ? 8 : 32, ILPoint(x, y), false, grey);
}

void ILJPEGDecoder::SetOutput()
{
    if (m_fast) {
        m_decompressor.do_fancy_upsampling = FALSE;
    }
    m_decompressor.dct_method = JDCT_FLOAT;
    if (!IsGreyscale()) {
        m_decompressor.out_color_space = JCS_EXT_BGRX;
    }
    m_decompressor.scale_num = 1;
    m_decompressor.scale_denom = 1;
    m_pending.reset();
}

void ILJPEGDecoder::GetImage(ILBmp& bmp)
{
    SetOutput();
    ILBmpLock lock(bmp, false, true);
    if (!DecompressWithLibjpeg(bmp.GetLineArray())) {
        Fail();
    }
}

bool ILJPEGDecoder::DecompressWithLibjpeg(uint8_t* const* rows)
{
    if (setjmp(m_errors.jump)) {
        return false;
    }
    jpeg_start_decompress(&m_decompressor);
    DecodeRows(rows, IsGreyscale() ? 1 : kRowsPerCall);
    jpeg_finish_decompress(&m_decompressor);
    return true;
}

void ILJPEGDecoder::DecodeRows(uint8_t* const* rows, int rowsPerCall)
{
    const auto height = static_cast<JDIMENSION>(GetHeight());
    while (m_decompressor.output_scanline < height) {
        const JDIMENSION wanted = std::min<JDIMENSION>(rowsPerCall, height - m_decompressor.output_scanline);
        const JDIMENSION read = jpeg_read_scanlines(
            &m_decompressor, const_cast<JSAMPARRAY>(rows + m_decompressor.output_scanline), wanted);
        if (read == 0) {
            break;
        }
    }
}

// libjpeg decodes at 1/2, 1/4 or 1/8 of the size for little more than the cost of the
// smaller picture. Where the sides are whole multiples of that scale times the wanted
// sides, every box covers whole decoded pixels and the result differs from the whole
// picture shrunk only by the smaller decode's rounding. Elsewhere box edges fall within
// decoded pixels, so the scale is taken only where those keep at least eight times the
// wanted size a side: an edge then moves by at most an eighth of its box.
int ILJPEGDecoder::ScaleDenominator(int newWidth, int newHeight) const
{
    constexpr int64_t kMinDecodedPerBox = 8;
    const int64_t width = GetWidth();
    const int64_t height = GetHeight();
    for (const int64_t denominator : {8, 4, 2}) {
        const bool whole = width % (denominator * newWidth) == 0 && height % (denominator * newHeight) == 0;
        const bool fine = (width + denominator - 1) / denominator >= kMinDecodedPerBox * newWidth &&
                          (height + denominator - 1) / denominator >= kMinDecodedPerBox * newHeight;
        if (whole || fine) {
            return static_cast<int>(denominator);
        }
    }
    return 1;
}

int64_t ILJPEGDecoder::GetWholeCoefficientBytes() const
{
    // As libjpeg decides it at the first scan's header, which the open has read.
    const bool multipleScans =
        m_decompressor.progressive_mode || m_decompressor.comps_in_scan < m_decompressor.num_components;
    if (!multipleScans) {
        return 0;
    }
    // libjpeg rounds each component's blocks up to whole sampling units.
    const auto roundUp = [](int64_t value, int64_t unit) { return (value + unit - 1) / unit * unit; };
    int64_t bytes = 0;
    for (int c = 0; c < m_decompressor.num_components; ++c) {
        const jpeg_component_info& component = m_decompressor.comp_info[c];
        bytes += roundUp(component.width_in_blocks, component.h_samp_factor) *
                 roundUp(component.height_in_blocks, component.v_samp_factor) * DCTSIZE2 *
                 static_cast<int64_t>(sizeof(JCOEF));
    }
    return bytes;
}

bool ILJPEGDecoder::GetReducedImage(ILBoxReducer& reducer)
{
    if (GetWholeCoefficientBytes() > kMaxWholeBytesToShrink) {
        jpeg_abort_decompress(&m_decompressor);
        RaiseError(ILTextException::noMemory, "Progressive JPEG image too large to shrink.");
    }
    SetOutput();
    const int denominator = ScaleDenominator(reducer.GetNewWidth(), reducer.GetNewHeight());
    m_decompressor.scale_denom = static_cast<unsigned>(denominator);
    if (!StartWithLibjpeg()) {
        Fail();
    }
    const auto width = static_cast<int>(m_decompressor.output_width);
    const auto height = static_cast<int>(m_decompressor.output_height);
    if (!reducer.SetSourceSize(width, height)) {
        jpeg_abort_decompress(&m_decompressor);
        RaiseError(ILTextException::internalError, "JPEG decoder: scaled size below the reduced size.");
    }
    const int rowsPerCall = IsGreyscale() ? 1 : kRowsPerCall;
    const auto rowBytes = static_cast<size_t>(reducer.GetRowBytes());
    std::vector<uint8_t> buffer(rowBytes * static_cast<size_t>(rowsPerCall));
    std::vector<uint8_t*> rows(static_cast<size_t>(rowsPerCall));
    for (size_t i = 0; i < rows.size(); ++i) {
        rows[i] = buffer.data() + i * rowBytes;
    }
    if (!ReduceWithLibjpeg(rows.data(), rowsPerCall, reducer)) {
        Fail();
    }
    return true;
}

bool ILJPEGDecoder::StartWithLibjpeg()
{
    if (setjmp(m_errors.jump)) {
        return false;
    }
    jpeg_start_decompress(&m_decompressor);
    return true;
}

// Rows libjpeg does not give are blank, as they stay in a bitmap decoded whole.
bool ILJPEGDecoder::ReduceWithLibjpeg(uint8_t* const* rows, int rowsPerCall, ILBoxReducer& reducer)
{
    if (setjmp(m_errors.jump)) {
        return false;
    }
    const JDIMENSION height = m_decompressor.output_height;
    while (m_decompressor.output_scanline < height) {
        const JDIMENSION wanted = std::min<JDIMENSION>(rowsPerCall, height - m_decompressor.output_scanline);
        const JDIMENSION read = jpeg_read_scanlines(&m_decompressor, const_cast<JSAMPARRAY>(rows), wanted);
        if (read == 0) {
            break;
        }
        for (JDIMENSION i = 0; i < read; ++i) {
            reducer.AddRow(rows[i]);
        }
    }
    if (!reducer.IsComplete()) {
        std::memset(rows[0], 0, static_cast<size_t>(reducer.GetRowBytes()));
        while (!reducer.IsComplete()) {
            reducer.AddRow(rows[0]);
        }
    }
    jpeg_finish_decompress(&m_decompressor);
    return true;
}

void ILJPEGDecoder::ReportProgress(j_common_ptr info)
{
    if (!info->is_decompressor) {
        return;
    }
    auto* decompressor = reinterpret_cast<j_decompress_ptr>(info);
    if (decompressor->input_scan_number > kMaxScans) {
        ILJPEGErrorManager& manager = ManagerOf(info);
        std::snprintf(manager.message, sizeof manager.message, "%s\n", "JPEG file holds too many scans.");
        manager.code = ILTextException::notSupported;
        std::longjmp(manager.jump, 1);
    }
    const jpeg_progress_mgr* monitor = info->progress;
    if (info->client_data != nullptr && monitor != nullptr && monitor->total_passes > 0 && monitor->pass_limit > 0) {
        const double part = (monitor->completed_passes +
                             static_cast<double>(monitor->pass_counter) / static_cast<double>(monitor->pass_limit)) /
                            monitor->total_passes;
        // The notification is the program's own code: nothing it throws may cross libjpeg.
        try {
            static_cast<ILDataSource*>(info->client_data)->ReportProgress(part);
        } catch (...) {
        }
    }
}
