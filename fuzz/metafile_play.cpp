// Plays arbitrary bytes as an enhanced metafile (first byte even) or a Windows metafile,
// as the metafile decoder does once a file's name has chosen the kind: records, paths,
// clip regions, patterns and text on a small canvas.
#include "imaging/ilemfplayer.h"
#include "imaging/ilmetafilecanvas.h"
#include "imaging/ilwmfplayer.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1) {
        return 0;
    }
    ILMetafileCanvas canvas(64, 48);
    if (data[0] % 2 == 0) {
        ILEMFPlayer(canvas).Play(data + 1, size - 1);
    } else if (ILWMFPlayer::HasHeader(data + 1, size - 1)) {
        ILWMFPlayer(canvas, 0, 0, 640, 480).Play(data + 1, size - 1);
    }
    return 0;
}
