#pragma once
// CPictureSideLimit: while one stands, the pictures a model file brings are decoded no
// larger than a square of its side, as they already are no larger than a texture. A read
// that only shows a picture small (a file dialog's preview) so never holds the picture
// at its full size. Limits nest; the innermost is in force. User-interface thread only.

class CPictureSideLimit
{
public:
    // A side below 1 counts as 1.
    explicit CPictureSideLimit(int side);
    ~CPictureSideLimit();
    CPictureSideLimit(const CPictureSideLimit&) = delete;
    CPictureSideLimit& operator=(const CPictureSideLimit&) = delete;

    // The side in force; 0 while no limit stands.
    [[nodiscard]] static int GetCurrent();

private:
    int m_previous;
};

// The side a model's picture is decoded no larger than: the longest side a texture may
// have (GetImageTextureMaxSide), or the limit in force when that is smaller. A few
// kilobytes of fax-coded picture may stand for a gigabyte of pixels.
[[nodiscard]] int GetModelPictureMaxSide();
