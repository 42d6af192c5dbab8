#include "imaging/ilpnmdecoder.h"

#include <string>
#include <vector>

#include "imaging/ilbmp.h"
#include "imaging/ilboxreducer.h"
#include "imaging/ilbmplock.h"
#include "imaging/ildatasource.h"
#include "imaging/iltextexception.h"

namespace {

constexpr int kEnd = -1;
constexpr std::int64_t kMaxSide = std::int64_t{1} << 30;
constexpr int kMaxValue = 65535;

bool IsDigit(int c)
{
    return c >= '0' && c <= '9';
}

// Blank, tab, line feed, vertical tab, form feed and carriage return.
bool IsWhiteSpace(int c)
{
    return c == ' ' || (c >= '\t' && c <= '\r');
}

[[noreturn]] void EndOfData()
{
    throw ILTextException(ILTextException::endOfData, "End of file reached while decoding.\n");
}

}  // namespace

void ILPNMDecoder::Open(ILDataSource& source)
{
    Trace(2, m_format.trace);
    ReadIdentifier(source);
    ReadHeaderNumbers(source);
    CheckHeader(source);
    const bool grey = m_format.samplesPerPixel == 1;
    SetBmpInfo(ILPoint(m_width, m_height), grey ? 8 : 32, ILPoint(0, 0), false, grey);
}

void ILPNMDecoder::ReadIdentifier(ILDataSource& source)
{
    const int p = ReadByte(source);
    const int kind = ReadByte(source);
    if (p != 'P' || (kind != m_format.textIdentifier && kind != m_format.binaryIdentifier)) {
        RaiseError(ILTextException::badFormat, m_format.wrongIdentifier);
    }
    m_imageType = kind == m_format.textIdentifier ? textSamples : binarySamples;
}

void ILPNMDecoder::ReadHeaderNumbers(ILDataSource& source)
{
    NextChar(source);
    std::int64_t numbers[3] = {0, 0, 0};
    const std::int64_t limits[3] = {kMaxSide, kMaxSide, kMaxValue};
    for (int n = 0; n < 3; ++n) {
        SkipSeparators(source);
        numbers[n] = ReadNumber(source, limits[n]);
    }
    m_width = static_cast<int>(numbers[0]);
    m_height = static_cast<int>(numbers[1]);
    m_maxValue = static_cast<int>(numbers[2]);
    // The character after the maximum has been read: binary samples begin at the next byte.
}

void ILPNMDecoder::CheckHeader(ILDataSource& source) const
{
    if (m_width == 0 || m_height == 0) {
        Refuse("the image is empty.");
    }
    if (m_maxValue == 0) {
        Refuse("the maximum sample value is 0.");
    }
    if (static_cast<std::int64_t>(m_width) * m_height > ILBmp::GetMaxPixels()) {
        RaiseError(ILTextException::noMemory, (std::string(m_format.name) + " image too large.").c_str());
    }
    // Text samples take at least a digit and a separator each, binary ones their bytes.
    const std::int64_t samples = SampleCount();
    const std::int64_t needed = m_imageType == binarySamples ? samples * BytesPerSample() : 2 * samples - 1;
    if (needed > source.GetBytesLeft()) {
        const std::string text = std::string(m_format.name) + " data is shorter than the header says.";
        RaiseError(ILTextException::endOfData, text.c_str());
    }
}

std::int64_t ILPNMDecoder::SampleCount() const
{
    return static_cast<std::int64_t>(m_width) * m_height * m_format.samplesPerPixel;
}

void ILPNMDecoder::NextChar(ILDataSource& source)
{
    m_current = source.GetBytesLeft() > 0 ? ReadByte(source) : kEnd;
}

void ILPNMDecoder::SkipSeparators(ILDataSource& source)
{
    for (;;) {
        if (IsWhiteSpace(m_current)) {
            NextChar(source);
        } else if (m_current == '#') {
            while (m_current != '\r' && m_current != '\n' && m_current != kEnd) {
                NextChar(source);
            }
        } else {
            return;
        }
    }
}

std::int64_t ILPNMDecoder::ReadNumber(ILDataSource& source, std::int64_t limit)
{
    if (m_current == kEnd) {
        EndOfData();
    }
    if (!IsDigit(m_current)) {
        Refuse("a number was expected.");
    }
    std::int64_t value = 0;
    while (IsDigit(m_current)) {
        value = value * 10 + (m_current - '0');
        if (value > limit) {
            Refuse("a number is too large.");
        }
        NextChar(source);
    }
    return value;
}

int ILPNMDecoder::ReadTextSample(ILDataSource& source)
{
    SkipSeparators(source);
    return static_cast<int>(ReadNumber(source, kMaxValue));
}

void ILPNMDecoder::GetImage(ILBmp& bmp)
{
    if (m_imageType != textSamples && m_imageType != binarySamples) {
        RaiseError(ILTextException::badFormat, m_format.unknownType);
    }
    ILDataSource& source = *GetDataSource();
    ILBmpLock lock(bmp, false, true);
    for (int y = 0; y < m_height; ++y) {
        ReadRow(source, bmp.GetLineArray()[y]);
    }
}

bool ILPNMDecoder::GetReducedImage(ILBoxReducer& reducer)
{
    if (m_imageType != textSamples && m_imageType != binarySamples) {
        RaiseError(ILTextException::badFormat, m_format.unknownType);
    }
    ILDataSource& source = *GetDataSource();
    std::vector<std::uint8_t> row(static_cast<std::size_t>(reducer.GetRowBytes()));
    for (int y = 0; y < m_height; ++y) {
        ReadRow(source, row.data());
        reducer.AddRow(row.data());
    }
    return true;
}

void ILPNMDecoder::ReadRow(ILDataSource& source, std::uint8_t* row)
{
    const int count = m_width * m_format.samplesPerPixel;
    const int bytes = BytesPerSample();
    const std::uint8_t* binary =
        m_imageType == binarySamples ? source.ReadNBytes(static_cast<std::int64_t>(count) * bytes) : nullptr;
    for (int i = 0; i < count; ++i) {
        int sample = 0;
        if (binary == nullptr) {
            sample = ReadTextSample(source);
        } else {
            sample = bytes == 2 ? (binary[2 * i] << 8) | binary[2 * i + 1] : binary[i];
        }
        if (sample > m_maxValue) {
            Refuse("a sample is above the maximum value.");
        }
        const auto scaled = static_cast<std::uint8_t>(sample * 255 / m_maxValue);
        if (m_format.samplesPerPixel == 1) {
            row[i] = scaled;
            continue;
        }
        // Red, green, blue samples go to bytes 2, 1, 0 of a blue-green-red-alpha pixel.
        const int x = i / 3;
        row[4 * x + 2 - i % 3] = scaled;
        row[4 * x + 3] = 255;
    }
}

void ILPNMDecoder::Refuse(const char* what) const
{
    RaiseError(ILTextException::badFormat, (std::string(m_format.name) + " decoder: " + what).c_str());
}
