#include "imaging/ilmetafiletextpainter.h"

#include <algorithm>
#include <cmath>

#include <fontconfig/fontconfig.h>
#include <ft2build.h>
#include FT_FREETYPE_H
#include FT_ADVANCES_H
#include FT_TRUETYPE_TABLES_H
#include FT_OUTLINE_H

namespace {

constexpr double kMaxEmPixels = 2048;
// Each new face name costs a font search: past this many, the default face stands in.
constexpr std::size_t kMaxFaceNames = 64;

struct Vector
{
    double x;
    double y;
};

// The box every glyph of a face lies in at the size it is drawn, in pixels from the glyph's
// origin with y up.
struct GlyphBox
{
    double left;
    double bottom;
    double right;
    double top;
};

std::string FindFontFile(const std::string& face, int weight, bool italic)
{
    FcPattern* pattern = FcPatternCreate();
    if (pattern == nullptr) {
        return {};
    }
    if (!face.empty()) {
        FcPatternAddString(pattern, FC_FAMILY, reinterpret_cast<const FcChar8*>(face.c_str()));
    }
    FcPatternAddInteger(pattern, FC_WEIGHT, FcWeightFromOpenType(std::clamp(weight, 1, 1000)));
    FcPatternAddInteger(pattern, FC_SLANT, italic ? FC_SLANT_ITALIC : FC_SLANT_ROMAN);
    FcConfigSubstitute(nullptr, pattern, FcMatchPattern);
    FcDefaultSubstitute(pattern);
    FcResult result = FcResultNoMatch;
    FcPattern* match = FcFontMatch(nullptr, pattern, &result);
    std::string file;
    FcChar8* path = nullptr;
    if (match != nullptr && FcPatternGetString(match, FC_FILE, 0, &path) == FcResultMatch && path != nullptr) {
        file = reinterpret_cast<const char*>(path);
    }
    if (match != nullptr) {
        FcPatternDestroy(match);
    }
    FcPatternDestroy(pattern);
    return file;
}

// A band along the baseline from `from` to `to` pixels, between `above` and `below` pixels
// under it, as a polygon.
std::vector<ILCanvasPoint> Band(Vector origin, Vector along, Vector down, double from, double to, double above,
                                double below)
{
    auto at = [&](double s, double t) {
        return ILCanvasPoint{origin.x + along.x * s + down.x * t, origin.y + along.y * s + down.y * t};
    };
    return {at(from, above), at(to, above), at(to, below), at(from, below)};
}

// How far a glyph's ink reaches from its origin on the canvas, in pixels with y down.
struct Reach
{
    double minX;
    double minY;
    double maxX;
    double maxY;
};

// The reach of a glyph whose ink lies within `box` (pixels from its origin, y up), turned
// to the baseline `along`: the same for every glyph of a run.
Reach Turned(const GlyphBox& box, Vector along, Vector down)
{
    Reach reach{INFINITY, INFINITY, -INFINITY, -INFINITY};
    for (const double bx : {box.left, box.right}) {
        for (const double by : {box.bottom, box.top}) {
            const double cx = along.x * bx - down.x * by;
            const double cy = along.y * bx - down.y * by;
            reach = {std::min(reach.minX, cx), std::min(reach.minY, cy), std::max(reach.maxX, cx),
                     std::max(reach.maxY, cy)};
        }
    }
    return reach;
}

// Whether a glyph of that reach placed at (x, y) misses a canvas of that size: such glyphs
// are neither rasterised nor outlined. A pixel of margin covers the rasteriser's
// antialiased edge.
bool MissesCanvas(double x, double y, const Reach& reach, int width, int height)
{
    return x + reach.maxX < -1 || y + reach.maxY < -1 || x + reach.minX > width + 1 || y + reach.minY > height + 1;
}

// The glyph's coverage, one byte a pixel, whatever the bitmap's own format.
bool Coverage(const FT_Bitmap& bitmap, std::vector<std::uint8_t>& out)
{
    const int width = static_cast<int>(bitmap.width);
    const int rows = static_cast<int>(bitmap.rows);
    out.assign(static_cast<std::size_t>(width) * rows, 0);
    for (int y = 0; y < rows; ++y) {
        const unsigned char* row = bitmap.buffer + static_cast<std::ptrdiff_t>(y) * bitmap.pitch;
        for (int x = 0; x < width; ++x) {
            std::uint8_t value = 0;
            if (bitmap.pixel_mode == FT_PIXEL_MODE_GRAY) {
                value = row[x];
            } else if (bitmap.pixel_mode == FT_PIXEL_MODE_MONO) {
                value = (row[x / 8] & (0x80 >> (x % 8))) ? 255 : 0;
            } else {
                return false;
            }
            out[static_cast<std::size_t>(y) * width + x] = value;
        }
    }
    return true;
}

}  // namespace

struct ILMetafileTextPainter::Library
{
    FT_Library handle = nullptr;
    ~Library()
    {
        if (handle != nullptr) {
            FT_Done_FreeType(handle);
        }
    }
};

struct ILMetafileTextPainter::Face
{
    FT_Face handle = nullptr;
    ~Face()
    {
        if (handle != nullptr) {
            FT_Done_Face(handle);
        }
    }
};

ILMetafileTextPainter::ILMetafileTextPainter() : m_library(std::make_unique<Library>())
{
    if (FT_Init_FreeType(&m_library->handle) != 0) {
        m_library->handle = nullptr;
    }
}

ILMetafileTextPainter::~ILMetafileTextPainter() = default;

ILMetafileTextPainter::Face* ILMetafileTextPainter::FindFace(const Run& run)
{
    const int weight = run.weight <= 0 ? 400 : run.weight;
    std::string key = run.face + '\n' + std::to_string(weight) + (run.italic ? "i" : "r");
    if (m_files.size() >= kMaxFaceNames && m_files.count(key) == 0) {
        key = std::string("\n400r");
    }
    auto named = m_files.find(key);
    if (named == m_files.end()) {
        const std::string face = key == "\n400r" ? std::string() : run.face;
        named = m_files.emplace(key, FindFontFile(face, weight, run.italic)).first;
    }
    if (named->second.empty()) {
        return nullptr;
    }
    auto loaded = m_faces.find(named->second);
    if (loaded == m_faces.end()) {
        auto face = std::make_unique<Face>();
        if (FT_New_Face(m_library->handle, named->second.c_str(), 0, &face->handle) != 0) {
            face->handle = nullptr;
        }
        loaded = m_faces.emplace(named->second, std::move(face)).first;
    }
    return loaded->second->handle != nullptr && FT_IS_SCALABLE(loaded->second->handle) ? loaded->second.get()
                                                                                        : nullptr;
}

struct ILMetafileTextPainter::Layout
{
    FT_Face face = nullptr;
    double em = 0;
    double ascent = 0;
    double descent = 0;
    std::vector<double> advances;
    double total = 0;
    Vector along{1, 0};
    Vector down{0, 1};
    Vector origin{0, 0};
    FT_Matrix turn{};
    Reach reach{};
    // The pixels of one glyph's square, charged before it is rasterised.
    double cost = 0;
};

namespace {

// The face's own box at its current size; a face that gives none (or an empty one) takes two
// em around the origin, which holds the glyphs of any sound face.
GlyphBox FaceBox(FT_Face f, double em)
{
    const FT_BBox& b = f->bbox;
    if (b.xMin >= b.xMax || b.yMin >= b.yMax || f->size == nullptr) {
        return {-2 * em, -2 * em, 2 * em, 2 * em};
    }
    const FT_Size_Metrics& m = f->size->metrics;
    return {FT_MulFix(b.xMin, m.x_scale) / 64.0, FT_MulFix(b.yMin, m.y_scale) / 64.0,
            FT_MulFix(b.xMax, m.x_scale) / 64.0, FT_MulFix(b.yMax, m.y_scale) / 64.0};
}

}  // namespace

bool ILMetafileTextPainter::Prepare(const Run& run, Layout& layout)
{
    if (m_library->handle == nullptr || run.text.empty() || !std::isfinite(run.emPixels) || !std::isfinite(run.x) ||
        !std::isfinite(run.y) || !std::isfinite(run.angle) || !std::isfinite(run.widthPixels)) {
        return false;
    }
    Face* face = FindFace(run);
    if (face == nullptr) {
        return false;
    }
    FT_Face f = face->handle;
    double em = run.emPixels;
    if (run.cellHeight) {
        // A cell height spans the face's ascent and descent, which exceed its em.
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const double cell = os2 != nullptr && os2->usWinAscent + os2->usWinDescent > 0
                                ? os2->usWinAscent + os2->usWinDescent
                                : static_cast<double>(f->ascender - f->descender);
        if (cell > 0 && f->units_per_EM > 0) {
            em *= f->units_per_EM / cell;
        }
    }
    em = std::clamp(em, 1.0, kMaxEmPixels);
    double emWidth = 0;
    if (run.widthPixels > 0) {
        // The record gives the average character width; the face says how that relates to its em.
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const double ratio = os2 != nullptr && os2->xAvgCharWidth > 0 && f->units_per_EM > 0
                                 ? static_cast<double>(os2->xAvgCharWidth) / f->units_per_EM
                                 : 0.5;
        emWidth = std::clamp(run.widthPixels / ratio, 1.0, kMaxEmPixels);
    }
    if (FT_Set_Char_Size(f, static_cast<FT_F26Dot6>(std::lround(emWidth * 64)), static_cast<FT_F26Dot6>(std::lround(em * 64)),
                         72, 72) != 0) {
        return false;
    }
    layout.face = f;
    layout.em = em;
    layout.cost = em * std::max(em, emWidth);
    layout.ascent = f->size->metrics.ascender / 64.0;
    layout.descent = -f->size->metrics.descender / 64.0;
    layout.advances.assign(run.text.size(), 0);
    layout.total = 0;
    for (std::size_t i = 0; i < run.text.size(); ++i) {
        FT_Fixed advance = 0;
        if (i < run.advances.size() && std::isfinite(run.advances[i])) {
            layout.advances[i] = run.advances[i];
        } else if (FT_Get_Advance(f, FT_Get_Char_Index(f, run.text[i]), FT_LOAD_NO_HINTING, &advance) == 0) {
            layout.advances[i] = advance / 65536.0;
        }
        if (i >= run.advances.size()) {
            layout.advances[i] += run.characterExtra + (run.text[i] == U' ' ? run.breakExtra : 0);
        }
        layout.total += layout.advances[i];
    }
    layout.along = Vector{std::cos(run.angle), -std::sin(run.angle)};
    layout.down = Vector{std::sin(run.angle), std::cos(run.angle)};
    const double shift = run.horizontal == 1 ? -layout.total / 2 : run.horizontal == 2 ? -layout.total : 0;
    const double drop = run.vertical == 0 ? layout.ascent : run.vertical == 2 ? -layout.descent : 0;
    layout.origin = Vector{run.x + layout.along.x * shift + layout.down.x * drop,
                           run.y + layout.along.y * shift + layout.down.y * drop};
    layout.reach = Turned(FaceBox(f, em), layout.along, layout.down);
    const Vector& along = layout.along;
    layout.turn = FT_Matrix{static_cast<FT_Fixed>(std::lround(along.x * 65536)), static_cast<FT_Fixed>(std::lround(along.y * 65536)),
                            static_cast<FT_Fixed>(std::lround(-along.y * 65536)), static_cast<FT_Fixed>(std::lround(along.x * 65536))};
    return true;
}

std::vector<std::vector<ILCanvasPoint>> ILMetafileTextPainter::Decorations(const Run& run, const Layout& layout)
{
    std::vector<std::vector<ILCanvasPoint>> bands;
    const FT_Face f = layout.face;
    const double unit = f->units_per_EM > 0 ? layout.em / f->units_per_EM : 0;
    const double thickness = std::max(1.0, f->underline_thickness * unit);
    if (run.underline) {
        const double at = -f->underline_position * unit;
        bands.push_back(Band(layout.origin, layout.along, layout.down, 0, layout.total, at - thickness / 2, at + thickness / 2));
    }
    if (run.strikeOut) {
        const auto* os2 = static_cast<const TT_OS2*>(FT_Get_Sfnt_Table(f, FT_SFNT_OS2));
        const double at = os2 != nullptr ? -os2->yStrikeoutPosition * unit : -layout.ascent / 3;
        bands.push_back(Band(layout.origin, layout.along, layout.down, 0, layout.total, at - thickness / 2, at + thickness / 2));
    }
    return bands;
}

double ILMetafileTextPainter::Draw(ILMetafileCanvas& canvas, const Run& run)
{
    Layout layout;
    if (!Prepare(run, layout)) {
        return 0;
    }
    FT_Face f = layout.face;
    if (run.opaque) {
        ILCanvasPaint paint;
        paint.colour = run.background;
        canvas.FillPolygons({Band(layout.origin, layout.along, layout.down, 0, layout.total, -layout.ascent, layout.descent)},
                            false, paint);
    }
    std::vector<std::uint8_t> coverage;
    double pen = 0;
    for (std::size_t i = 0; i < run.text.size() && !canvas.IsExhausted(); ++i) {
        const double px = layout.origin.x + layout.along.x * pen;
        const double py = layout.origin.y + layout.along.y * pen;
        pen += layout.advances[i];
        if (MissesCanvas(px, py, layout.reach, canvas.GetWidth(), canvas.GetHeight())) {
            continue;
        }
        // The rasteriser's work grows with the glyph's square whatever lands on the canvas.
        if (!canvas.Spend(static_cast<std::int64_t>(layout.cost))) {
            break;
        }
        const double baseX = std::floor(px);
        const double baseY = std::floor(py);
        FT_Vector delta{static_cast<FT_Pos>(std::lround((px - baseX) * 64)), static_cast<FT_Pos>(std::lround(-(py - baseY) * 64))};
        FT_Matrix matrix = layout.turn;
        FT_Set_Transform(f, &matrix, &delta);
        if (FT_Load_Char(f, run.text[i], FT_LOAD_RENDER | FT_LOAD_NO_HINTING) != 0) {
            continue;
        }
        const FT_GlyphSlot glyph = f->glyph;
        if (glyph->bitmap.width == 0 || glyph->bitmap.rows == 0 || !Coverage(glyph->bitmap, coverage)) {
            continue;
        }
        canvas.BlendCoverage(static_cast<int>(baseX) + glyph->bitmap_left, static_cast<int>(baseY) - glyph->bitmap_top,
                             static_cast<int>(glyph->bitmap.width), static_cast<int>(glyph->bitmap.rows), coverage.data(),
                             static_cast<int>(glyph->bitmap.width), run.colour);
    }
    FT_Set_Transform(f, nullptr, nullptr);
    for (const auto& band : Decorations(run, layout)) {
        canvas.FillPolygons({band}, false, run.colour);
    }
    return layout.total;
}

namespace {

// Collects a glyph's outline as polygons in canvas pixels, its curves cut into short lines.
struct OutlineSink
{
    double baseX = 0;
    double baseY = 0;
    std::vector<std::vector<ILCanvasPoint>>* figures = nullptr;
    std::size_t maxFigures = 0;
    FT_Vector last{0, 0};

    [[nodiscard]] ILCanvasPoint At(double x, double y) const { return {baseX + x / 64, baseY - y / 64}; }
    void Add(double x, double y)
    {
        if (!figures->empty()) {
            figures->back().push_back(At(x, y));
        }
    }
};

constexpr int kCurveSteps = 8;

int MoveTo(const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    if (sink->figures->size() >= sink->maxFigures) {
        return 1;
    }
    sink->figures->push_back({sink->At(to->x, to->y)});
    sink->last = *to;
    return 0;
}

int LineTo(const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    sink->Add(to->x, to->y);
    sink->last = *to;
    return 0;
}

int ConicTo(const FT_Vector* control, const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    const FT_Vector from = sink->last;
    for (int i = 1; i <= kCurveSteps; ++i) {
        const double t = static_cast<double>(i) / kCurveSteps;
        const double u = 1 - t;
        sink->Add(u * u * from.x + 2 * u * t * control->x + t * t * to->x,
                  u * u * from.y + 2 * u * t * control->y + t * t * to->y);
    }
    sink->last = *to;
    return 0;
}

int CubicTo(const FT_Vector* first, const FT_Vector* second, const FT_Vector* to, void* user)
{
    auto* sink = static_cast<OutlineSink*>(user);
    const FT_Vector from = sink->last;
    for (int i = 1; i <= kCurveSteps; ++i) {
        const double t = static_cast<double>(i) / kCurveSteps;
        const double u = 1 - t;
        sink->Add(u * u * u * from.x + 3 * u * u * t * first->x + 3 * u * t * t * second->x + t * t * t * to->x,
                  u * u * u * from.y + 3 * u * u * t * first->y + 3 * u * t * t * second->y + t * t * t * to->y);
    }
    sink->last = *to;
    return 0;
}

// As many figures as a path keeps.
constexpr std::size_t kMaxOutlineFigures = 65536;

}  // namespace

double ILMetafileTextPainter::Outline(const Run& run, int canvasWidth, int canvasHeight,
                                      std::vector<std::vector<ILCanvasPoint>>& figures)
{
    Layout layout;
    if (!Prepare(run, layout)) {
        return 0;
    }
    FT_Face f = layout.face;
    const FT_Outline_Funcs funcs{MoveTo, LineTo, ConicTo, CubicTo, 0, 0};
    double pen = 0;
    for (std::size_t i = 0; i < run.text.size() && figures.size() < kMaxOutlineFigures; ++i) {
        const double px = layout.origin.x + layout.along.x * pen;
        const double py = layout.origin.y + layout.along.y * pen;
        pen += layout.advances[i];
        if (MissesCanvas(px, py, layout.reach, canvasWidth, canvasHeight)) {
            continue;
        }
        FT_Matrix matrix = layout.turn;
        FT_Vector delta{0, 0};
        FT_Set_Transform(f, &matrix, &delta);
        if (FT_Load_Char(f, run.text[i], FT_LOAD_NO_BITMAP | FT_LOAD_NO_HINTING) != 0 ||
            f->glyph->format != FT_GLYPH_FORMAT_OUTLINE) {
            continue;
        }
        OutlineSink sink;
        sink.baseX = px;
        sink.baseY = py;
        sink.figures = &figures;
        sink.maxFigures = kMaxOutlineFigures;
        (void)FT_Outline_Decompose(&f->glyph->outline, &funcs, &sink);
    }
    FT_Set_Transform(f, nullptr, nullptr);
    for (auto& band : Decorations(run, layout)) {
        figures.push_back(std::move(band));
    }
    return layout.total;
}
