#pragma once
// CWindowOverlay: while it lives, drawing is in window pixels with y down, on top of the
// frame, unlit, without depth test, with plain lines of one pixel. It puts the matrices,
// lighting and depth test back when it ends. For tool feedback drawn into the frame.

class CTarnisView;

class CWindowOverlay
{
public:
    explicit CWindowOverlay(CTarnisView& view);
    ~CWindowOverlay();
    CWindowOverlay(const CWindowOverlay&) = delete;
    CWindowOverlay& operator=(const CWindowOverlay&) = delete;

private:
    CTarnisView& m_view;
    bool m_lit;
    bool m_depthTest = false;
};
