#pragma once
// CWatermark: a picture shown unscaled at one of nine places of the view window, in
// front of the model or behind it. It is an entity of the file like any other; nothing
// of this program makes one except the file reader.
//
// The picture is shared by use count (textures may name the same stored image): the
// watermark takes a use when it gets a picture and gives it back when it drops it or
// is erased for good. Its destructor leaves the picture alone, like every entity's, so
// that the reader can delete whatever a broken file made.

#include <cstdint>
#include <vector>

#include "model/entity.h"
#include "platform/cstring.h"

class CDib;
class ITarnisView;

class CWatermark : public CEntity
{
    DECLARE_SERIAL(CWatermark)

public:
    // Anchor places, by rows from the top of the window.
    enum Position : std::uint32_t
    {
        kTopLeft = 0,
        kTopCentre = 1,
        kTopRight = 2,
        kMiddleLeft = 3,
        kCentre = 4,
        kMiddleRight = 5,
        kBottomLeft = 6,
        kBottomCentre = 7,
        kBottomRight = 8
    };

    // No name, time 0, no picture, bottom right, in front.
    CWatermark();
    // Every field but the picture, which the copy does not get.
    CWatermark(const CWatermark& other);
    ~CWatermark() override;

    // The entity part, then flag, file name, time, position, picture and in-front; the
    // same at every version and in every format. Throws the archive exception on bad
    // input; a picture reference of another class is badClass.
    void Serialize(CArchive& ar) override;
    // Gives the picture back unless an undo operation takes the watermark over, then
    // erases the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // The other entity must be a watermark. Everything but the pictures changes places.
    void SwapData(CEntity& other) override;
    int CheckValidity(int mode, CValidityResultMap* results) override;
    [[nodiscard]] int GetTypeId() const override;

    // Stores both, drops the picture and loads the file as the new one. Throws
    // ILTextException when the file cannot be read or decoded; the watermark is then
    // left without a picture.
    virtual void SetImageFile(const CString& fileName, std::uint32_t position);
    // Records the change when the value differs.
    virtual void SetInFront(bool inFront);
    [[nodiscard]] virtual bool IsInFront() const { return m_inFront; }
    // Draws the picture unscaled at its place in the window, at window depth 0.05 in
    // front of the model or 0.98 behind it. Nothing without a picture of 24 or 32 bits.
    virtual void Draw(ITarnisView* view);
    // The window pixel the picture's lower-left corner goes to in a viewport of the
    // size, counted from the bottom left.
    static void GetWindowCorner(std::uint32_t position, int viewportWidth, int viewportHeight,
                                              int width, int height, double& x, double& y);

    [[nodiscard]] const CString& GetFileName() const { return m_fileName; }
    [[nodiscard]] bool GetFlag() const { return m_flag; }
    [[nodiscard]] std::int64_t GetTime() const { return m_time; }
    [[nodiscard]] std::uint32_t GetPosition() const { return m_position; }
    [[nodiscard]] CDib* GetImage() const { return m_image; }

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar) const;
    // Takes a use of the picture and gives back the one held before.
    void SetImage(CDib* image);
    [[nodiscard]] bool IsHandedToUndo() const;

    CString m_fileName;
    bool m_flag = false;
    std::int64_t m_time = 0;
    std::uint32_t m_position = kBottomRight;
    CDib* m_image = nullptr;
    bool m_inFront = true;
    // The picture's rows bottom first, as the view draws them; made on first draw.
    std::vector<std::uint8_t> m_pixelCache;
};
