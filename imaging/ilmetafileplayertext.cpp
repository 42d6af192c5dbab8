// The metafile player's text.

#include <algorithm>
#include <cmath>

#include "imaging/ilmetafileplayer.h"
#include "imaging/ilmetafiletextpainter.h"

namespace {

// A font of height 0 asks for the interface's default, 12 points on a 96-dpi device.
constexpr double kDefaultFontPixels = 16;

double Length(const ILCanvasPoint& from, const ILCanvasPoint& to)
{
    return std::hypot(to.x - from.x, to.y - from.y);
}

// Spacing far past any canvas would only push the text off it; bounded, it keeps the
// glyphs' positions finite.
double Spacing(double pixels)
{
    return std::isfinite(pixels) ? std::clamp(pixels, -1e6, 1e6) : 0;
}

}  // namespace

void ILMetafilePlayer::ReadFontStyle(const Reader& record, std::size_t at, Font& font)
{
    const auto flag = [&record](std::size_t offset) { return record.Has(offset, 1) && *record.At(offset) != 0; };
    font.italic = flag(at);
    font.underline = flag(at + 1);
    font.strikeOut = flag(at + 2);
}

char32_t ILMetafilePlayer::FromWindows1252(std::uint8_t byte)
{
    static const char16_t kHigh[32] = {0x20AC, 0xFFFD, 0x201A, 0x0192, 0x2026, 0x2020, 0x2021, 0x02C6,
                                       0x2030, 0x0160, 0x2039, 0x0152, 0xFFFD, 0x017D, 0xFFFD, 0xFFFD,
                                       0xFFFD, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,
                                       0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0xFFFD, 0x017E, 0x0178};
    return byte >= 0x80 && byte < 0xA0 ? kHigh[byte - 0x80] : byte;
}

std::u32string ILMetafilePlayer::JoinSurrogates(const std::u32string& utf16)
{
    std::u32string text;
    for (std::size_t i = 0; i < utf16.size(); ++i) {
        const char32_t unit = utf16[i];
        if (unit >= 0xD800 && unit < 0xDC00 && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 && utf16[i + 1] < 0xE000) {
            text += 0x10000 + ((unit - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else {
            text += unit >= 0xD800 && unit < 0xE000 ? U'\uFFFD' : unit;
        }
    }
    return text;
}

std::string ILMetafilePlayer::ToUtf8(const std::u32string& text)
{
    std::string out;
    for (const char32_t c : text) {
        if (c < 0x80) {
            out += static_cast<char>(c);
        } else if (c < 0x800) {
            out += static_cast<char>(0xC0 | (c >> 6));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else if (c < 0x10000) {
            out += static_cast<char>(0xE0 | (c >> 12));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        } else {
            out += static_cast<char>(0xF0 | (c >> 18));
            out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
            out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
            out += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return out;
}

double ILMetafilePlayer::TextAngle(double escapementDegrees) const
{
    const ILCanvasPoint o = ToCanvas(0, 0);
    const ILCanvasPoint x = ToCanvas(1, 0);
    return std::atan2(-(x.y - o.y), x.x - o.x) + escapementDegrees * M_PI / 180;
}

void ILMetafilePlayer::DrawText(const TextRecord& record)
{
    if (record.text.empty()) {
        return;
    }
    if (!m_text) {
        m_text = std::make_unique<ILMetafileTextPainter>();
    }
    const bool fromCurrent = (m_state.textAlign & alignUpdatePosition) != 0;
    const double x = fromCurrent ? m_state.x : record.x;
    const double y = fromCurrent ? m_state.y : record.y;
    const ILCanvasPoint o = ToCanvas(0, 0);
    const double across = Length(o, ToCanvas(1, 0));
    const double upright = Length(o, ToCanvas(0, 1));
    const Font& font = m_state.font;

    ILMetafileTextPainter::Run run;
    run.text = record.text;
    run.face = font.face;
    const ILCanvasPoint at = ToCanvas(x, y);
    run.x = at.x;
    run.y = at.y;
    run.emPixels = font.height == 0 ? kDefaultFontPixels * m_deviceScaleY : std::fabs(font.height) * upright;
    run.cellHeight = font.height > 0;
    run.widthPixels = std::fabs(font.width) * across;
    run.angle = TextAngle(record.escapementTurns ? font.escapement / 10 : 0);
    run.weight = font.weight;
    run.italic = font.italic;
    run.underline = font.underline;
    run.strikeOut = font.strikeOut;
    const int horizontal = m_state.textAlign & alignCentre;
    run.horizontal = horizontal == alignCentre ? 1 : horizontal == alignRight ? 2 : 0;
    const int vertical = m_state.textAlign & alignBaseline;
    run.vertical = vertical == alignBaseline ? 1 : vertical == alignBottom ? 2 : 0;
    run.colour = m_state.textColour;
    run.opaque = m_state.opaqueBackground;
    run.background = m_state.backgroundColour;
    for (const double advance : record.advances) {
        run.advances.push_back(advance * across);
    }
    run.characterExtra = Spacing(m_state.characterExtra * across);
    run.breakExtra = m_state.breakCount > 0 ? Spacing(m_state.breakExtra / m_state.breakCount * across) : 0;

    if (m_pathOpen) {
        // Inside a path bracket text adds its outlines to the path and draws nothing.
        std::vector<std::vector<ILCanvasPoint>> outlines;
        const double moved = m_text->Outline(run, m_canvas.GetWidth(), m_canvas.GetHeight(), outlines);
        // Loading a glyph is work even when it has no outline.
        if (!m_canvas.Spend(OutlineWork(outlines) + static_cast<std::int64_t>(run.text.size()))) {
            return;
        }
        for (auto& outline : outlines) {
            if (m_path.size() < kMaxPathFigures && outline.size() > 1) {
                m_path.push_back({std::move(outline), true});
            }
        }
        if (fromCurrent && across > 0) {
            m_state.x += moved / across;
        }
        return;
    }
    const double* r = record.rectangle;
    if (record.hasRectangle && (record.options & textOpaque) != 0) {
        ILCanvasPaint paint;
        paint.colour = m_state.backgroundColour;
        m_canvas.FillPolygons({ToCanvas({{r[0], r[1]}, {r[2], r[1]}, {r[2], r[3]}, {r[0], r[3]}})}, false, paint);
    }
    ILCanvasRegion clip;
    if (record.hasRectangle && (record.options & textClipped) != 0) {
        clip = m_effectiveClip ? *m_effectiveClip : WholeCanvas();
        const ILCanvasRegion box = LogicalRectangle(r[0], r[1], r[2], r[3]);
        if (CombineCharged(clip, box, ILCanvasRegion::Mode::intersect)) {
            m_canvas.SetClip(&clip);
        }
    }
    const double moved = m_text->Draw(m_canvas, run);
    ApplyClip();
    if (fromCurrent && across > 0) {
        m_state.x += moved / across;
    }
}
