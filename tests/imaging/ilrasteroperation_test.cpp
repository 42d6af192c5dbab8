// The ternary raster operations: the named codes records use do what their names say, and
// the operations without a source are the binary mixes of pens and fills.

#include <gtest/gtest.h>

#include <functional>

#include "imaging/ilrasteroperation.h"

TEST(ILRasterOperationTest, NamedCodesCombinePatternSourceAndCanvasBitByBit)
{
    using Bits = std::function<unsigned(unsigned, unsigned, unsigned)>;
    const struct
    {
        const char* name;
        std::uint32_t code;
        Bits expected;  // over pattern, source and canvas bytes
        bool usesSource;
    } cases[] = {
        {"source copy", 0x00CC0020, [](unsigned, unsigned s, unsigned) { return s; }, true},
        {"source and", 0x008800C6, [](unsigned, unsigned s, unsigned d) { return s & d; }, true},
        {"source paint", 0x00EE0086, [](unsigned, unsigned s, unsigned d) { return s | d; }, true},
        {"source invert", 0x00660046, [](unsigned, unsigned s, unsigned d) { return s ^ d; }, true},
        {"source erase", 0x00440328, [](unsigned, unsigned s, unsigned d) { return s & ~d; }, true},
        {"not source copy", 0x00330008, [](unsigned, unsigned s, unsigned) { return ~s; }, true},
        {"not source erase", 0x001100A6, [](unsigned, unsigned s, unsigned d) { return ~(s | d); }, true},
        {"merge copy", 0x00C000CA, [](unsigned p, unsigned s, unsigned) { return p & s; }, true},
        {"merge paint", 0x00BB0226, [](unsigned, unsigned s, unsigned d) { return ~s | d; }, true},
        {"pattern paint", 0x00FB0A09, [](unsigned p, unsigned s, unsigned d) { return p | ~s | d; }, true},
        {"pattern copy", 0x00F00021, [](unsigned p, unsigned, unsigned) { return p; }, false},
        {"pattern invert", 0x005A0049, [](unsigned p, unsigned, unsigned d) { return p ^ d; }, false},
        {"destination invert", 0x00550009, [](unsigned, unsigned, unsigned d) { return ~d; }, false},
        {"blackness", 0x00000042, [](unsigned, unsigned, unsigned) { return 0u; }, false},
        {"whiteness", 0x00FF0062, [](unsigned, unsigned, unsigned) { return ~0u; }, false},
    };
    // Each channel meets every combination of the three bits somewhere in its byte.
    const ILPixel32 pattern(0xF0, 0x0F, 0x3C, 7);
    const ILPixel32 source(0xCC, 0x33, 0x66, 7);
    const ILPixel32 canvas(0xAA, 0x55, 0x99, 7);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const ILRasterOperation operation = ILRasterOperation::FromCode(c.code);
        const auto byte = [&c](std::uint8_t p, std::uint8_t s, std::uint8_t d) {
            return static_cast<std::uint8_t>(c.expected(p, s, d));
        };
        EXPECT_EQ(operation.Apply(pattern, source, canvas),
                  ILPixel32(byte(pattern.r, source.r, canvas.r), byte(pattern.g, source.g, canvas.g),
                            byte(pattern.b, source.b, canvas.b), 255));
        EXPECT_EQ(operation.UsesSource(), c.usesSource);
    }
}

TEST(ILRasterOperationTest, OperationsWithoutASourceAreTheMixesOfPensAndFills)
{
    const ILPixel32 pen(0xF0, 0x0F, 0x3C);
    const ILPixel32 canvas(0xAA, 0x55, 0x99);
    int withoutSource = 0;
    for (int index = 0; index < 256; ++index) {
        const ILRasterOperation operation(static_cast<std::uint8_t>(index));
        if (operation.UsesSource()) {
            continue;
        }
        ++withoutSource;
        EXPECT_EQ(ILRasterOperation::FromMix(operation.GetMix()).GetIndex(), index);
        EXPECT_EQ(operation.Apply(pen, ILPixel32(0, 0, 0), canvas), operation.Apply(pen, ILPixel32(255, 255, 255), canvas));
    }
    EXPECT_EQ(withoutSource, 16);
    EXPECT_EQ(ILRasterOperation::FromMix(13).GetIndex(), 0xF0);  // the pen's colour: pattern copy
    EXPECT_EQ(ILRasterOperation::FromMix(6).GetIndex(), 0x55);   // not the canvas: destination invert
}
