// Protocol version words: major version in the high 16 bits, minor in the low
// 16 (0x00050003 is 5.3). Compared as unsigned numbers; shown as "%i.%i".
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace kefo {

using VersionWord = std::uint32_t;

constexpr VersionWord PackVersion(unsigned major, unsigned minor) {
    return (static_cast<VersionWord>(major & 0xFFFFu) << 16) | (minor & 0xFFFFu);
}
constexpr unsigned VersionMajor(VersionWord v) {
    return v >> 16;
}
constexpr unsigned VersionMinor(VersionWord v) {
    return v & 0xFFFFu;
}

// Writes "major.minor" into text (at most size bytes, NUL included) and
// returns the characters the full text needs, as snprintf does.
inline int FormatVersion(VersionWord v, char* text, std::size_t size) {
    return std::snprintf(text, size, "%i.%i", static_cast<int>(VersionMajor(v)),
                         static_cast<int>(VersionMinor(v)));
}

inline std::string VersionText(VersionWord v) {
    char text[16];
    FormatVersion(v, text, sizeof text);
    return text;
}

// The settings signature: an add-on's version word as a float (1.1 -> 65537.0).
constexpr float VersionSignature(VersionWord v) {
    return static_cast<float>(v);
}

constexpr VersionWord kHostVersion5_2 = PackVersion(5, 2);
constexpr VersionWord kHostVersion5_3 = PackVersion(5, 3);
constexpr VersionWord kHostVersion6_0 = PackVersion(6, 0);
constexpr VersionWord kHostVersion7_0 = PackVersion(7, 0);
constexpr VersionWord kHostVersion8_0 = PackVersion(8, 0);

}  // namespace kefo
