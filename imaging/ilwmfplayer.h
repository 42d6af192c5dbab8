#pragma once
// ILWMFPlayer: plays the records of a Windows metafile (16-bit records, without the
// placeable header) into a canvas. The logical rectangle given at construction fills the
// canvas until the file sets its own window, whose origin and extent then fill it.

#include "imaging/ilmetafileplayer.h"

class ILWMFPlayer : public ILMetafilePlayer
{
public:
    ILWMFPlayer(ILMetafileCanvas& canvas, double left, double top, double width, double height);

    // True when the data begins with a Windows metafile header of 9 words.
    [[nodiscard]] static bool HasHeader(const std::uint8_t* data, std::size_t size);
    // The file's size in bytes as its header gives it.
    [[nodiscard]] static std::size_t DeclaredSize(const std::uint8_t* data, std::size_t size);
    // Where the records stop when followed through the data.
    [[nodiscard]] static RecordsEnd FollowRecords(const std::uint8_t* data, std::size_t size);
    // The extent of the first window the records set; false when they set none.
    [[nodiscard]] static bool FindWindowExtent(const std::uint8_t* data, std::size_t size, int& width, int& height);

    void Play(const std::uint8_t* data, std::size_t size) override;

private:
    // Calls visit(function, parameters) for each record before the end record while it answers true.
    template <typename Visit>
    static RecordsEnd WalkRecords(const std::uint8_t* data, std::size_t size, Visit visit);
    // False for a record the player does not know.
    bool PlayRecord(int function, const Reader& params);
    bool PlayClipAndTextRecord(int function, const Reader& params);
    bool PlayBitmapRecord(int function, const Reader& params);
    void PlayExtTextOut(const Reader& params);
    void CreateFont(const Reader& params);
    [[nodiscard]] ILCanvasRegion ReadRegion(const Reader& params) const;
    // A pattern brush from a device bitmap or a device-independent one.
    void MakePattern(bool deviceBitmap, const Reader& params, Brush& brush) const;
    [[nodiscard]] static std::u32string Ansi(const Reader& params, std::size_t at, std::size_t length);
    void CreateObject(const GdiObject& object);
    void SetWindow(const Reader& params, bool extent);
    [[nodiscard]] static std::vector<ILCanvasPoint> ReadPoints(const Reader& params, std::size_t offset, int count);
    void PlayPolyPolygon(const Reader& params);
    // The source rectangle of a device bitmap (one-bit, 24-bit or 32-bit) whose rows start at
    // `bitsAt`; false when it cannot be read.
    bool ReadDeviceBitmap(const Reader& bitmap, std::size_t bitsAt, int sx, int sy, int sw, int sh,
                          PixelBlock& block) const;
};
