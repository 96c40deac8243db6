#pragma once
// The stored-record versions. Every record is read with the version of the stream
// that holds it; records are written in the layout of the current version.

#include <cstdint>

namespace velorina::stream_version {

inline constexpr std::int32_t kV100 = 100;  // quadrangle, polygon and sphere records
inline constexpr std::int32_t kV101 = 101;  // sphere texture offsets
inline constexpr std::int32_t kV102 = 102;  // scene light specular colour
inline constexpr std::int32_t kV104 = 104;  // text
inline constexpr std::int32_t kV105 = 105;  // text sides
inline constexpr std::int32_t kV106 = 106;  // text shear
inline constexpr std::int32_t kV107 = 107;  // current quadrangle, polygon and text layouts
inline constexpr std::int32_t kV108 = 108;  // polygon merged flag
inline constexpr std::int32_t kV116 = 116;  // light range factor, sound Doppler
inline constexpr std::int32_t kV117 = 117;  // current version
inline constexpr std::int32_t kCurrent = kV117;

}  // namespace velorina::stream_version
