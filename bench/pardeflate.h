// An experiment: one zlib stream compressed in independent segments on several threads.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Compresses data into one zlib stream (header, raw deflate, Adler-32) at level. The
// input is cut into segments of segmentBytes, compressed by `threads` workers; each
// segment after the first is primed with the 32 KiB before it as its dictionary and all
// but the last end with a sync flush, so that the joined pieces are one valid stream.
std::vector<uint8_t> ParallelZlib(const uint8_t *data, size_t size, int level, size_t segmentBytes, int threads);

// The rows as libpng hands them to zlib with filter None: a 0 byte before every row.
std::vector<uint8_t> FilterNoneRows(const uint8_t *pixels, int width, int height, int bytesPerPixel, int64_t stride);

// A PNG file (IHDR, the stream in IDAT chunks of at most idatBytes, IEND) written
// through libpng's chunk writer. Colour type 2 for 3 bytes per pixel, 6 for 4.
std::vector<uint8_t> PngFromStream(int width, int height, int bytesPerPixel, const std::vector<uint8_t> &stream,
                                   size_t idatBytes);
