#pragma once
// CImagePreview: a colour button that shows a picture stretched over its face, as the
// model info window shows the model's thumbnail.
#include <memory>

#include "app/colorbutton.h"

class CMfcWinBmp;

class CImagePreview : public CColorButton
{
public:
    explicit CImagePreview(QWidget* parent = nullptr);
    ~CImagePreview() override;

    // Takes the picture (null: none); the one held before goes.
    void SetBitmap(std::unique_ptr<CMfcWinBmp> bitmap);
    [[nodiscard]] const CMfcWinBmp* GetBitmap() const { return m_bitmap.get(); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::unique_ptr<CMfcWinBmp> m_bitmap;
};
