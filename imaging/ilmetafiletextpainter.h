#pragma once
// ILMetafileTextPainter: draws the text records of metafile playback into the canvas with
// the system's fonts: the font the record's face name, weight and slant match best is found
// through the font configuration and its glyphs are rasterised, turned by the escapement,
// and blended in the text colour. Fonts stay loaded for the painter's life.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "imaging/ilmetafilecanvas.h"

class ILMetafileTextPainter
{
public:
    // A run of text in canvas pixels.
    struct Run
    {
        std::u32string text;
        std::string face;  // UTF-8; empty for the default face
        double x = 0;  // reference point
        double y = 0;
        double emPixels = 0;      // character height, or the line's when `cellHeight`
        bool cellHeight = false;
        double widthPixels = 0;   // average character width, 0 for the face's own
        double angle = 0;         // of the baseline, counter-clockwise on the screen, radians
        int weight = 400;
        bool italic = false;
        bool underline = false;
        bool strikeOut = false;
        int horizontal = 0;  // 0 the reference point is left of the text, 1 centre, 2 right
        int vertical = 0;    // 0 at its top, 1 on the baseline, 2 at its bottom
        ILPixel32 colour{0, 0, 0, 255};
        bool opaque = false;  // the text's box is filled with `background` first
        ILPixel32 background{255, 255, 255, 255};
        std::vector<double> advances;  // from each character to the next, when the record gives them
        // Added to the face's advance of each character the advances do not cover, and of each space among them.
        double characterExtra = 0;
        double breakExtra = 0;
    };

    ILMetafileTextPainter();
    ~ILMetafileTextPainter();
    ILMetafileTextPainter(const ILMetafileTextPainter&) = delete;
    ILMetafileTextPainter& operator=(const ILMetafileTextPainter&) = delete;

    // Draws the run; answers the distance its reference point moves along the baseline (for
    // text that updates the current position). Nothing is drawn when no font is found.
    double Draw(ILMetafileCanvas& canvas, const Run& run);
    // Adds the outlines of the run's glyphs (and of its underline and strike-out) to the
    // figures, as closed polygons in canvas pixels, for a path; answers what Draw answers.
    double Outline(const Run& run, int canvasWidth, int canvasHeight, std::vector<std::vector<ILCanvasPoint>>& figures);

private:
    struct Library;
    struct Face;
    struct Layout;
    Face* FindFace(const Run& run);
    // Sizes the run's face and places its characters; false when it cannot be drawn.
    bool Prepare(const Run& run, Layout& layout);
    [[nodiscard]] static std::vector<std::vector<ILCanvasPoint>> Decorations(const Run& run, const Layout& layout);

    std::unique_ptr<Library> m_library;
    std::map<std::string, std::unique_ptr<Face>> m_faces;  // by font file
    std::map<std::string, std::string> m_files;             // by face, weight and slant
};
