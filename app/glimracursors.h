#pragma once
// CGlimraCursors: the program's cursor set: the platform's standard cursors for the
// standard ids, cursors from the embedded images and from image files through the bitmap
// adaptor, and the arrow as the fallback. The cursors it makes live as long as the set.
#include "app/basecursors.h"

class CGlimraCursors : public CBaseCursors
{
public:
    CGlimraCursors() = default;
    ~CGlimraCursors() override;

    int AddCursorFromFile(const CString& path, float hotX, float hotY) override;
    // The standard cursors the program asks for by id; null for any other id.
    HCURSOR GetSystemCursor(int id) override;
    HCURSOR GetDefaultCursor() override;
    HCURSOR LoadImageCursor(int id, const std::string& resourceType, float hotX, float hotY) override;
};

// The program's one cursor set. User-interface thread only.
[[nodiscard]] CGlimraCursors& GetGlimraCursors();
