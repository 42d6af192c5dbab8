#pragma once
// The GL enumerants that drawing code in the model hands to the view's state and
// primitive operations, so that the model needs no GL header.

namespace glenum {

inline constexpr unsigned kLines = 0x0001;
inline constexpr unsigned kLineLoop = 0x0002;
inline constexpr unsigned kLineStrip = 0x0003;
inline constexpr unsigned kTriangles = 0x0004;
inline constexpr unsigned kQuads = 0x0007;
inline constexpr unsigned kPolygon = 0x0009;
inline constexpr unsigned kLess = 0x0201;
inline constexpr unsigned kAlways = 0x0207;
inline constexpr unsigned kLessOrEqual = 0x0203;
inline constexpr unsigned kSourceAlpha = 0x0302;
inline constexpr unsigned kOneMinusSourceAlpha = 0x0303;
inline constexpr unsigned kPolygonStipple = 0x0B42;
inline constexpr unsigned kDepthTest = 0x0B71;
inline constexpr unsigned kStencilTest = 0x0B90;
inline constexpr unsigned kBlend = 0x0BE2;

}  // namespace glenum
