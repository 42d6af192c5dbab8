#include "render/textbitmaprenderer.h"

#include <algorithm>
#include <cmath>

#include "document/twfont.h"
#include "drawapi/gltextimagecache.h"
#include "drawapi/tarnisview.h"
#include "foundation/framemeter.h"
#include "platform/profile.h"
#include "render/installedfontlist.h"
#include "render/textdrawing.h"

namespace {

constexpr const char* kDefaultFace = "Tahoma";
constexpr int kDefaultPointSize = 10;
constexpr int kMaxPointSize = 1000;
constexpr int kMaxTextLength = 1 << 16;
// A print scaling outside these is no print a sheet holds; text stays at screen size.
constexpr double kMinTextScale = 0.05;
constexpr double kMaxTextScale = 64.0;

}  // namespace

CTextLogFont CreateTextLogFont(const CString& face, int pointSize, int pixelsPerInch, bool bold, bool italic,
                               bool smooth)
{
    CTextLogFont font;
    font.face = face;
    font.height = static_cast<int>(std::lround(static_cast<double>(pointSize) * pixelsPerInch / 72.0));
    font.weight = bold ? 600 : 400;
    font.italic = italic;
    font.quality = smooth ? 4 : 3;
    return font;
}

bool CTextBitmapRenderer::IsSmoothing()
{
    if (m_smoothing < 0) {
        m_smoothing = GetProfileInt(CString("TextStyle"), CString("AntiAliasText"), 1) != 0 ? 1 : 0;
    }
    return m_smoothing == 1;
}

bool CTextBitmapRenderer::OpenFont(const CTwFont* font, double scale)
{
    const bool named = font != nullptr && !font->GetFaceName().IsEmpty();
    const CString face = named ? font->GetFaceName() : CString(kDefaultFace);
    int points = font != nullptr ? font->GetHeight() : kDefaultPointSize;
    if (points < 1 || points > kMaxPointSize) {
        points = kDefaultPointSize;
    }
    const bool bold = font != nullptr && font->IsBold();
    const bool italic = font != nullptr && font->IsItalic();
    const int pixelsPerInch = static_cast<int>(std::lround(kPixelsPerInch * scale));
    const CTextLogFont log = CreateTextLogFont(face, points, pixelsPerInch, bold, italic, IsSmoothing());
    const bool smooth = log.quality == 4;
    const int size = std::clamp(log.height, 1, CTextRasterizer::kMaxPixelSize);
    const CString own = font != nullptr ? font->GetFontPath() : CString();
    if (!own.IsEmpty() && (m_rasterizer.IsOpenFor(own, size, smooth) || m_rasterizer.Open(own, size, smooth))) {
        return true;
    }
    const CString path = ResolveFontFile(face, log.weight >= 600, log.italic);
    return m_rasterizer.IsOpenFor(path, size, smooth) || m_rasterizer.Open(path, size, smooth);
}

bool CTextBitmapRenderer::Layout(const CTwFont* font, const CString& text, int& width, int& height, double scale)
{
    width = 0;
    height = 0;
    if (text.IsEmpty() || text.GetLength() > kMaxTextLength || !OpenFont(font, scale)) {
        return false;
    }
    const std::vector<CString> lines = SplitTextLines(text);
    if (lines.empty() || static_cast<int>(lines.size()) > kMaxLines ||
        static_cast<long>(m_rasterizer.GetLineHeight()) * static_cast<long>(lines.size()) > kMaxSide) {
        return false;
    }
    m_lines.clear();
    for (const CString& line : lines) {
        m_lines.push_back(CTextRasterizer::ToCodePoints(line));
        // Refused before any glyph is rendered: large glyphs cost much.
        if (m_rasterizer.LeastWidth(m_lines.back()) > kMaxSide) {
            return false;
        }
    }
    m_extents.clear();
    int left = 0;
    int right = 0;
    for (const std::u32string& line : m_lines) {
        m_extents.push_back(m_rasterizer.MeasureLine(line));
        left = std::min(left, m_extents.back().left);
        right = std::max(right, m_extents.back().right);
    }
    // The glyphs that reach back (an italic's first letter) are kept inside.
    m_shift = -left;
    width = (std::max(right - left, 1) + 3) / 4 * 4;
    height = m_rasterizer.GetLineHeight() * static_cast<int>(lines.size());
    // A frame that must stop left glyphs out: the block is not what the text needs.
    return width <= kMaxSide && height >= 1 && height <= kMaxSide && !CFrameMeter::ShouldStop();
}

bool CTextBitmapRenderer::Measure(const CTwFont* font, const CString& text, int& width, int& height, double scale)
{
    return Layout(font, text, width, height, scale);
}

bool CTextBitmapRenderer::Render(const CTwFont* font, const CString& text, int alignment, Bitmap& result,
                                 double scale)
{
    result = Bitmap{};
    int width = 0;
    int height = 0;
    if (!Layout(font, text, width, height, scale)) {
        return false;
    }
    // The picture costs the frame its pixels, filled, inked and turned into texels.
    if (!CFrameMeter::Charge(CFrameMeter::PixelUnits(static_cast<std::uint64_t>(width) * height,
                                                     CFrameMeter::kPixelsPerUnit))) {
        return false;
    }
    const int stride = width * 3;
    const auto bytes = static_cast<std::size_t>(stride) * height;
    if (m_buffer.size() < bytes) {
        m_buffer.assign(bytes, 0);
    }
    std::fill_n(m_buffer.begin(), bytes, std::uint8_t{255});
    const CTextRasterizer::Target target{m_buffer.data(), width, height, stride, 3};
    const int lineHeight = m_rasterizer.GetLineHeight();
    for (std::size_t i = 0; i < m_lines.size(); ++i) {
        const int lineWidth = m_shift + m_extents[i].right;
        int x = m_shift;
        if (alignment == 1) {
            x += (width - lineWidth) / 2;
        } else if (alignment == 2) {
            x += width - lineWidth;
        }
        const int baseline = lineHeight * static_cast<int>(i) + m_rasterizer.GetAscent();
        m_rasterizer.DrawLine(m_lines[i], x, baseline, target);
    }
    if (CFrameMeter::ShouldStop()) {
        return false;
    }
    result = Bitmap{m_buffer.data(), width, height, 24, stride};
    return true;
}

void CTextBitmapRenderer::Release()
{
    m_buffer = std::vector<std::uint8_t>();
    m_lines.clear();
    m_extents.clear();
    m_rasterizer.Release();
}

CTextBitmapRenderer& GetTextBitmapRenderer()
{
    static CTextBitmapRenderer renderer;
    return renderer;
}

double GetTextScale(const ITarnisView* view)
{
    const double scale = view != nullptr ? view->GetTextPixelScale() : 1.0;
    return std::isfinite(scale) && scale >= kMinTextScale && scale <= kMaxTextScale ? scale : 1.0;
}

bool RenderTextToBitmap(const CTwFont* font, const CString& text, int alignment, ITarnisView* view,
                        IGLTextImageCache* cache)
{
    CTextBitmapRenderer& renderer = GetTextBitmapRenderer();
    const double scale = GetTextScale(view);
    if (cache == nullptr) {
        int width = 0;
        int height = 0;
        return renderer.Measure(font, text, width, height, scale);
    }
    CTextBitmapRenderer::Bitmap bitmap;
    if (!renderer.Render(font, text, alignment, bitmap, scale)) {
        return false;
    }
    cache->UploadTexture(bitmap.width, bitmap.height, bitmap.pixels, bitmap.bitsPerPixel, bitmap.stride, true);
    return true;
}

void ReleaseTextBitmap()
{
    GetTextBitmapRenderer().Release();
}
