#pragma once
// CTexture: the picture side of a material: a stored picture shared by use count, the
// real-world size of one repeat of it, the file it came from, its average colour (or
// the tint when the material tints it), and the OpenGL texture made from it on first
// use. The material owns its texture and erases it with itself.

#include <cstdint>

#include "foundation/color.h"
#include "model/entity.h"

class CDib;

class CTexture : public CEntity
{
    DECLARE_SERIAL(CTexture)

public:
    // The size of one repeat in a new texture: one inch each way.
    static constexpr double kDefaultSize = 1.0 / 12.0;

    // No picture, no tint, a repeat of kDefaultSize by kDefaultSize.
    CTexture();
    // Undo snapshot and clone: size, file name and average colour; no picture, no tint,
    // no OpenGL texture.
    CTexture(const CTexture& other);
    // Deletes the OpenGL texture and lets go of the picture (deleted with its last use).
    ~CTexture() override;

    // Reads or writes the texture record (no entity part). Throws the archive exception
    // on bad input; a picture that does not decode is kept with its bytes and written
    // back, but the texture draws as having none (HasImage).
    void Serialize(CArchive& ar) override;
    // Drops the OpenGL texture, then the entity.
    void Erase() override;
    [[nodiscard]] CEntity* Clone() const override;
    // Exchanges size, file name and average colour; the other entity must be a texture.
    void SwapData(CEntity& other) override;
    [[nodiscard]] int GetTypeId() const override;
    // A sound picture, and a positive finite width and height (repair: the default size).
    int CheckValidity(int mode, CValidityResultMap* results) override;

    // Each setter records the change before it stores; width, height and the file name
    // (compared without regard to case) only when they change.
    void SetWidth(double width);
    [[nodiscard]] double GetWidth() const { return m_width; }
    void SetHeight(double height);
    [[nodiscard]] double GetHeight() const { return m_height; }
    // Takes a use of the picture (null allowed) and lets go of the previous one.
    void SetImage(CDib* image);
    [[nodiscard]] CDib* GetImage() const { return m_image; }
    [[nodiscard]] const CString& GetFileName() const { return m_fileName; }
    void SetFileName(const CString& fileName);
    [[nodiscard]] CColor GetAverageColor() const { return m_averageColor; }
    void SetAverageColor(CColor color);
    // The picture's size in pixels; 0 without a picture.
    [[nodiscard]] int GetImageWidth() const;
    [[nodiscard]] int GetImageHeight() const;
    // False without a decoded picture, and once the picture could not be made into a
    // texture (in both cases it stays to be saved).
    [[nodiscard]] bool HasImage() const;
    // A picture can be drawn as a texture now: its texture is made, or one can be made
    // within what is left of the textures' budget (reduced down to 128 pixels a side).
    // Without the view's OpenGL side nothing is made and nothing counts against it: true.
    // False without a picture.
    [[nodiscard]] bool FitsTextureBudget() const;

    // The tint (0 for none), how it takes the tint's hue, and the transparency of the
    // material. Drops the OpenGL texture, which is made again with them.
    void SetColoring(CColor tint, bool hueRelative, double transparency);
    [[nodiscard]] CColor GetTint() const { return m_tint; }
    [[nodiscard]] bool IsHueRelative() const { return m_hueRelative; }
    [[nodiscard]] BYTE GetAlpha() const { return m_alpha; }
    [[nodiscard]] BYTE GetEffectiveAlpha() const { return m_effectiveAlpha; }
    // The hue, lightness and saturation shifts that take the picture's average colour
    // to the tint.
    void ComputeColorOffsets(double& hue, double& lightness, double& saturation) const;

    // Same file name (exact), same picture size in pixels and the same repeat size
    // within 0.001.
    [[nodiscard]] bool IsEqual(const CTexture& other) const;

    // The OpenGL side, through the view's ITextureGL; nothing without one. A name made
    // before the view's context was replaced is forgotten, not deleted or bound.
    [[nodiscard]] unsigned GetGLName() const { return m_glName; }
    void ReleaseGLTexture();
    // Makes the OpenGL texture from the prepared pixels; 0 without a picture. A picture
    // that cannot be prepared is reported on standard error and drawn no more. With
    // forceAlpha and an alpha below 255 that alpha is used, otherwise the rendering
    // options decide. A picture kept as its bytes is decoded for it and let go again.
    // The texture's memory counts against the textures' budget (texturegl.h) until it is
    // released; a picture beyond the budget is decoded smaller, and one that does not fit
    // even at 128 pixels a side is not made (0). Nor is one while the frame being drawn
    // has to stop (CFrameMeter): it is made when next asked. The work is charged to the
    // frame.
    unsigned Upload(bool forceAlpha, int alpha);
    void Bind();
    // Generates s = (s plane . p) / width and t = -(t plane . p) / height: the picture's
    // top row at the top of each repeat along the t plane's direction.
    void BeginTextureMapping(const double* sPlane, const double* tPlane);
    void EndTextureMapping();

private:
    void ReadRecord(CArchive& ar);
    void WriteRecord(CArchive& ar);
    void ReadPicture(CArchive& ar, int version);
    void ReleaseImage();
    void MarkUnusable(const char* reason);

    unsigned m_glName = 0;
    // The bytes m_glName takes.
    std::int64_t m_glBytes = 0;
    // The texture epoch m_glName was made under.
    unsigned m_glEpoch = 0;
    CColor m_tint;
    bool m_hueRelative = true;
    BYTE m_alpha = 255;
    BYTE m_effectiveAlpha = 255;
    CString m_fileName;
    CDib* m_image = nullptr;
    bool m_pictureUnusable = false;
    double m_width = kDefaultSize;
    double m_height = kDefaultSize;
    CColor m_averageColor;
};

// A new default texture.
[[nodiscard]] CTexture* CreateTexture();
// Reads an object reference that must be a texture (null allowed); another class is the
// archive exception badClass.
void ArchiveReadTexture(CArchive& ar, CTexture*& texture);
// The shifts that take one colour to another: lightness and saturation as differences,
// the hue as a difference when relative, else the target hue. A grey target asks for no
// hue shift and takes the saturation away (none from a grey source).
void ComputeHsvDelta(double& hue, double& lightness, double& saturation, CColor from, CColor to, bool relativeHue);
