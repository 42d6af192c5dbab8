#pragma once
// ILEMFPlayer: plays the records of an enhanced metafile into a canvas. The picture frame
// of the header, taken to the header's reference device, fills the canvas; the records'
// own map modes, windows, viewports and world transforms lead from logical units to that
// device.

#include <vector>

#include "imaging/ilmetafileplayer.h"

class ILEMFPlayer : public ILMetafilePlayer
{
public:
    // The header fields that sizing and playback use.
    struct Header
    {
        std::int32_t bounds[4] = {0, 0, 0, 0};  // left, top, right, bottom in device pixels
        std::int32_t frame[4] = {0, 0, 0, 0};   // the same in hundredths of a millimetre
        std::uint32_t bytes = 0;  // the file's size
        int handles = 0;
        int paletteEntries = 0;
        std::int32_t devicePixels[2] = {0, 0};
        std::int32_t deviceMillimetres[2] = {0, 0};
    };

    explicit ILEMFPlayer(ILMetafileCanvas& canvas) : ILMetafilePlayer(canvas) {}

    // Reads the header record; false when the data does not begin with one.
    [[nodiscard]] static bool ReadHeader(const std::uint8_t* data, std::size_t size, Header& header);
    // Where the records stop when followed through the data.
    [[nodiscard]] static RecordsEnd FollowRecords(const std::uint8_t* data, std::size_t size);
    // The palette stored with the end record; empty when there is none.
    [[nodiscard]] static std::vector<ILPixel32> ReadPalette(const std::uint8_t* data, std::size_t size);

    void Play(const std::uint8_t* data, std::size_t size) override;

private:
    // Calls visit(type, record) for each record after the header and before the end record
    // while it answers true; `end`, when given, receives the end record.
    template <typename Visit>
    static RecordsEnd WalkRecords(const std::uint8_t* data, std::size_t size, Visit visit, Reader* end = nullptr);
    void MapFrameToCanvas(const Header& header);
    // False for a record the player does not know.
    bool PlayRecord(int type, const Reader& record);
    bool PlayPathRecord(int type, const Reader& record);
    bool PlayShapeRecord(int type, const Reader& record);
    // The region data (header and rectangles in device units) of `size` bytes at `at`.
    [[nodiscard]] ILCanvasRegion ReadRegion(const Reader& record, std::size_t at, std::uint32_t size) const;
    void CreatePatternBrush(const Reader& record, bool monochrome);
    void CreateFont(const Reader& record);
    // Draws the text block at `at` of a text record.
    void PlayText(const Reader& record, std::size_t at, bool wide, bool escapementTurns);
    // The header and the rows of a bitmap whose offsets and sizes are the four fields at
    // `fields`; false when they do not lie within the record.
    [[nodiscard]] static bool BitmapAt(const Reader& record, std::size_t fields, Reader& info, Reader& bits);
    // The source bitmap whose header and rows the four fields at `fields` locate; false
    // when there is none or it cannot be read.
    bool ReadBlock(const Reader& record, std::size_t fields, int sx, int sy, int sw, int sh, bool alpha,
                   PixelBlock& block) const;
    // Clears the alpha of the block's pixels whose bit in the mask the fields at `fields`
    // locate is clear; true without a mask.
    bool MaskBlock(const Reader& record, std::size_t fields, int maskX, int maskY, PixelBlock& block) const;
    bool PlayMaskBlt(const Reader& record);
    // A masked blit whose operations read no source: the brush and the canvas through the
    // mask, or, without a mask, the foreground operation everywhere. False (skipped) when an
    // operation reads the source or the block cannot be made.
    bool PlayMaskBltWithoutSource(const Reader& record, ILRasterOperation foreground, ILRasterOperation background);
    bool PlayPlgBlt(const Reader& record);
    bool PlayBlendedBlt(const Reader& record, bool alphaBlend);
    void PlayGradientFill(const Reader& record);
    bool PlayBitmapRecord(int type, const Reader& record);
    void PlayPolyPolygon(const Reader& record, bool shortPoints, bool closed);
    void SelectStockObject(std::uint32_t index);
    void CreatePen(const Reader& record, bool extended);
    void CreateBrush(const Reader& record);
    void SetWorldTransform(const Reader& record, int mode);
    [[nodiscard]] static std::vector<ILCanvasPoint> ReadPoints(const Reader& record, std::size_t offset,
                                                               std::uint32_t count, bool shortPoints);
    bool DrawBitmap(const Reader& record, std::size_t fields, double x, double y, double width, double height,
                    int sx, int sy, int sw, int sh, std::uint32_t rop);
};
