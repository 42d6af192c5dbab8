#pragma once
// CGraphicsCardDlg: the "OpenGL Details" box: what the current OpenGL context and GLU
// call themselves and the main view's pixel format, read when the box is made.
#include <QDialog>

#include "platform/cstring.h"

class CGraphicsCardDlg : public QDialog
{
public:
    // Control ids of the five texts.
    static constexpr int kVendorId = 1044;
    static constexpr int kRendererId = 1045;
    static constexpr int kVersionId = 1046;
    static constexpr int kGluVersionId = 1047;
    static constexpr int kPixelFormatId = 1035;

    explicit CGraphicsCardDlg(QWidget* parent = nullptr);

    CString m_vendor;
    CString m_renderer;
    CString m_version;
    CString m_gluVersion;
    CString m_pixelFormat;
};
