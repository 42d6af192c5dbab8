#pragma once
// CGLTiledImage: a large rendered bitmap kept at full resolution as a grid of alpha
// textures of 16 to 1024 pixels a side, at most 10 in each direction, drawn as one
// textured quad per tile from a display list. The last tile of a row or column may
// reach past the bitmap by up to 32 pixels (or be the smallest tile); what lies beyond
// the bitmap is clear. Stale names (of a replaced context) are forgotten as in
// CGLImage. User-interface thread only, with the context current.

#include <array>
#include <vector>

class IModelView;

class CGLTiledImage
{
public:
    static constexpr int kMaxTiles = 10;
    static constexpr int kLargestTile = 1024;
    static constexpr int kSmallestTile = 16;
    // How far a tile may reach past the bitmap before a smaller one is taken.
    static constexpr int kOverhang = 32;

    // Tile sizes of one direction, first tile first.
    struct Split
    {
        std::array<int, kMaxTiles> sizes{};
        int count = 0;
        // How much of the last tile the bitmap covers.
        int lastUsed = 0;
    };

    CGLTiledImage();
    CGLTiledImage(const CGLTiledImage&) = delete;
    CGLTiledImage& operator=(const CGLTiledImage&) = delete;
    virtual ~CGLTiledImage();

    // No tiles, no list, sizes 0; forgets without deleting.
    void Init();
    // Deletes the textures and the list (unless stale), then Init.
    virtual void Release();
    // Splits a length into tiles; false (and no tiles) when it would take more than 10.
    [[nodiscard]] static bool SplitLength(int length, Split& split);
    // Releases, then makes the tiles as CGLImage::Upload makes its texture. A bitmap
    // that would need more than 10 tiles in a direction, or that CGLImage would refuse,
    // leaves the image released.
    void Upload(int width, int height, const void* pixels, int bitsPerPixel, int stride, bool bottomUp);
    // Draws the bitmap over (0, 0)..(width, height), as CGLImage::Draw does.
    void Draw(const IModelView* view);

    [[nodiscard]] bool HasTextures() const { return !m_textures.empty(); }
    [[nodiscard]] bool IsStale() const;
    [[nodiscard]] int GetWidth() const { return m_width; }
    [[nodiscard]] int GetHeight() const { return m_height; }
    [[nodiscard]] const Split& GetColumns() const { return m_columns; }
    [[nodiscard]] const Split& GetRows() const { return m_rows; }
    [[nodiscard]] unsigned GetDisplayList() const { return m_displayList; }

private:
    void DrawTiles() const;

    unsigned m_format = 0;
    unsigned m_displayList = 0;
    int m_width = 0;
    int m_height = 0;
    // Rows from the bottom, columns from the left.
    Split m_rows;
    Split m_columns;
    // Row by row from the bottom.
    std::vector<unsigned> m_textures;
    unsigned m_epoch = 0;
};
