#pragma once
// CInstalledFontList: the TrueType fonts installed on the machine, found through
// fontconfig's list of font files, each file read with FreeType for its family name and
// whether it is bold and italic. The view's texts find the file of a face here. The
// program's list is built once, on first need, and kept for the run; what is installed
// later is not seen, and a face resolved once keeps its file. User-interface thread only.

#include <vector>

#include "platform/cstring.h"

struct CInstalledFont
{
    CString family;
    CString path;
    bool bold = false;
    bool italic = false;
};

class CInstalledFontList
{
public:
    // Longer family names and paths are not taken from a font file or the list.
    static constexpr int kMaxNameLength = 128;
    static constexpr int kMaxPathLength = 4096;

    // Reads the file's first face; false, and nothing added, when FreeType cannot read
    // it as a font or it names no family (or one too long).
    bool AddFile(const CString& path);
    // Every TrueType file that fontconfig lists, as AddFile reads them.
    void AddInstalledFiles();
    [[nodiscard]] const std::vector<CInstalledFont>& GetFonts() const { return m_fonts; }
    // The path of the first font of exactly that family (compared without case) and
    // style; empty when there is none.
    [[nodiscard]] CString Find(const CString& family, bool bold, bool italic) const;
    // The first font of the style, else the first font; empty for an empty list.
    [[nodiscard]] CString FindAny(bool bold, bool italic) const;

    // The program's list, built on first use.
    [[nodiscard]] static const CInstalledFontList& GetInstalled();

private:
    std::vector<CInstalledFont> m_fonts;
};

// A font list entry counts as TrueType when its name carries "(TrueType)" or
// "(True Type)", or its file name ends in ".ttf" (without regard to case).
[[nodiscard]] bool IsTrueTypeFontEntry(const CString& name, const CString& file);
// The installed file of exactly that face and style; empty when it is not installed.
[[nodiscard]] CString FindFontFile(const CString& face, bool bold, bool italic);
// A file that draws the face: the installed one when there is one, else the font the
// system puts in its place, else any installed font of the style, else any at all, so
// that a text in a family the machine lacks is still drawn. Every answer is a file
// FreeType has read. Empty only when no font at all can be read.
[[nodiscard]] CString ResolveFontFile(const CString& face, bool bold, bool italic);
