#include "imaging/ilpackbits.h"

#include <cstring>

int ILUnpackBits(const std::uint8_t* in, int inLength, std::uint8_t* out, int outLength, int unit)
{
    int i = 0;
    int o = 0;
    while (i < inLength) {
        const int c = in[i++];
        if (c == 0x80) {
            continue;
        }
        if (c < 0x80) {
            const int bytes = (c + 1) * unit;
            if (bytes > inLength - i || bytes > outLength - o) {
                return -1;
            }
            std::memcpy(out + o, in + i, static_cast<std::size_t>(bytes));
            i += bytes;
            o += bytes;
        } else {
            const int count = 257 - c;
            if (unit > inLength - i || count * unit > outLength - o) {
                return -1;
            }
            for (int k = 0; k < count; ++k) {
                std::memcpy(out + o, in + i, static_cast<std::size_t>(unit));
                o += unit;
            }
            i += unit;
        }
    }
    return o;
}
