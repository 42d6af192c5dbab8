#include "render/gltiledimage.h"

#include <GL/gl.h>

#include <cstdint>

#include "document/texturegl.h"
#include "foundation/framemeter.h"
#include "render/glimage.h"

namespace {

constexpr int kLargestBitmapSide = CGLTiledImage::kMaxTiles * CGLTiledImage::kLargestTile;

// The alpha texels of one tile; pixels beyond the bitmap stay clear.
std::vector<std::uint8_t> TileAlpha(const std::uint8_t* pixels, int width, int height, int bytesPerPixel,
                                    int stride, bool bottomUp, int x0, int y0, int tileWidth, int tileHeight)
{
    std::vector<std::uint8_t> alpha(static_cast<std::size_t>(tileWidth) * tileHeight, 0);
    for (int y = 0; y < tileHeight && y0 + y < height; ++y) {
        const int row = bottomUp ? height - 1 - (y0 + y) : y0 + y;
        const std::uint8_t* source = pixels + static_cast<std::size_t>(stride) * row;
        for (int x = 0; x < tileWidth && x0 + x < width; ++x) {
            alpha[static_cast<std::size_t>(tileWidth) * y + x] =
                CGLImage::AlphaOf(source + static_cast<std::size_t>(x0 + x) * bytesPerPixel);
        }
    }
    return alpha;
}

}  // namespace

CGLTiledImage::CGLTiledImage()
{
    Init();
}

CGLTiledImage::~CGLTiledImage()
{
    CGLTiledImage::Release();
}

void CGLTiledImage::Init()
{
    m_format = GL_ALPHA;
    m_displayList = 0;
    m_width = 0;
    m_height = 0;
    m_rows = Split{};
    m_columns = Split{};
    m_textures.clear();
}

bool CGLTiledImage::IsStale() const
{
    return (!m_textures.empty() || m_displayList != 0) && m_epoch != GetGLTextureEpoch();
}

void CGLTiledImage::Release()
{
    if (!IsStale()) {
        if (!m_textures.empty()) {
            glDeleteTextures(static_cast<GLsizei>(m_textures.size()), m_textures.data());
        }
        if (m_displayList != 0) {
            glDeleteLists(m_displayList, 1);
        }
    }
    Init();
}

bool CGLTiledImage::SplitLength(int length, Split& split)
{
    split = Split{};
    int left = length;
    while (left > 0) {
        if (split.count == kMaxTiles) {
            split = Split{};
            return false;
        }
        int tile = kLargestTile;
        if (left < kSmallestTile) {
            tile = kSmallestTile;
        }
        while (tile > left + kOverhang && tile > kSmallestTile) {
            tile /= 2;
        }
        split.sizes[split.count++] = tile;
        split.lastUsed = left < tile ? left : tile;
        left -= tile;
    }
    return true;
}

void CGLTiledImage::Upload(int width, int height, const void* pixels, int bitsPerPixel, int stride, bool bottomUp)
{
    Release();
    const int bytesPerPixel = bitsPerPixel == 24 ? 3 : bitsPerPixel == 32 ? 4 : 0;
    if (pixels == nullptr || bytesPerPixel == 0 || width < 1 || height < 1 || width > kLargestBitmapSide ||
        height > kLargestBitmapSide) {
        return;
    }
    if (stride == 0) {
        stride = width * bytesPerPixel;
    }
    Split rows;
    Split columns;
    if (stride < width * bytesPerPixel || !SplitLength(height, rows) || !SplitLength(width, columns)) {
        return;
    }
    m_width = width;
    m_height = height;
    m_rows = rows;
    m_columns = columns;
    m_textures.resize(static_cast<std::size_t>(rows.count) * columns.count);
    glGenTextures(static_cast<GLsizei>(m_textures.size()), m_textures.data());
    m_epoch = GetGLTextureEpoch();
    const auto* source = static_cast<const std::uint8_t*>(pixels);
    int y0 = 0;
    for (int r = 0; r < rows.count; ++r) {
        int x0 = 0;
        for (int c = 0; c < columns.count; ++c) {
            const std::vector<std::uint8_t> alpha = TileAlpha(source, width, height, bytesPerPixel, stride, bottomUp,
                                                              x0, y0, columns.sizes[c], rows.sizes[r]);
            glBindTexture(GL_TEXTURE_2D, m_textures[static_cast<std::size_t>(r) * columns.count + c]);
            CGLImage::UploadAlphaTexels(columns.sizes[c], rows.sizes[r], alpha.data());
            x0 += columns.sizes[c];
        }
        y0 += rows.sizes[r];
    }
    glBindTexture(GL_TEXTURE_2D, 0);
}

void CGLTiledImage::Draw(const IModelView* view)
{
    if (IsStale()) {
        Init();
    }
    if (m_textures.empty()) {
        return;
    }
    // A quad a tile, each in a call of its own, and the picture's pixels to fill, whether
    // drawn anew or from its list.
    (void)CFrameMeter::Charge(m_textures.size() * (CFrameMeter::kDrawCallCost + 4 * CFrameMeter::kVertexCost) +
                              CFrameMeter::RasterUnits(static_cast<double>(m_width) * static_cast<double>(m_height),
                                                       CFrameMeter::kFilledPixelsPerUnit));
    if (m_displayList != 0) {
        glCallList(m_displayList);
        return;
    }
    const unsigned list = CGLImage::MayRecordList(view) ? glGenLists(1) : 0;
    if (list != 0) {
        glNewList(list, GL_COMPILE_AND_EXECUTE);
    }
    CGLImage::BeginAlphaTexturing();
    DrawTiles();
    CGLImage::EndAlphaTexturing();
    if (list != 0) {
        glEndList();
        m_displayList = list;
    }
}

void CGLTiledImage::DrawTiles() const
{
    double y = 0.0;
    for (int r = 0; r < m_rows.count; ++r) {
        const bool lastRow = r == m_rows.count - 1;
        const double height = lastRow ? m_rows.lastUsed : m_rows.sizes[r];
        const double t = height / m_rows.sizes[r];
        double x = 0.0;
        for (int c = 0; c < m_columns.count; ++c) {
            const bool lastColumn = c == m_columns.count - 1;
            const double width = lastColumn ? m_columns.lastUsed : m_columns.sizes[c];
            const double s = width / m_columns.sizes[c];
            glBindTexture(GL_TEXTURE_2D, m_textures[static_cast<std::size_t>(r) * m_columns.count + c]);
            glBegin(GL_QUADS);
            glTexCoord2d(0.0, 0.0);
            glVertex3d(x, y, 0.0);
            glTexCoord2d(s, 0.0);
            glVertex3d(x + width, y, 0.0);
            glTexCoord2d(s, t);
            glVertex3d(x + width, y + height, 0.0);
            glTexCoord2d(0.0, t);
            glVertex3d(x, y + height, 0.0);
            glEnd();
            x += m_columns.sizes[c];
        }
        y += m_rows.sizes[r];
    }
}
