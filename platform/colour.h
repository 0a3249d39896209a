// A 24-bit colour packed as red + green * 256 + blue * 65536 in a 32-bit integer.
#pragma once

#include <cstdint>

inline int32_t PackColour(int red, int green, int blue) { return red | (green << 8) | (blue << 16); }
inline int RedOf(int32_t colour) { return colour & 0xFF; }
inline int GreenOf(int32_t colour) { return (colour >> 8) & 0xFF; }
inline int BlueOf(int32_t colour) { return (colour >> 16) & 0xFF; }
