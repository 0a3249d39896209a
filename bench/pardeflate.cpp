#include "bench/pardeflate.h"

#include <algorithm>
#include <atomic>
#include <csetjmp>
#include <cstring>
#include <png.h>
#include <stdexcept>
#include <thread>
#include <zlib.h>

namespace {

constexpr size_t windowBytes = 32768;

struct Segment {
  std::vector<uint8_t> deflated;
  uLong adler = 1;
  size_t size = 0;
};

// One raw deflate piece: primed with the window before it, ended by a sync flush (so the
// next piece starts on a byte boundary) or, for the last piece, by the final block.
void CompressSegment(const uint8_t *data, size_t begin, size_t end, bool last, int level, Segment &out) {
  z_stream stream{};
  // The settings libpng uses for unfiltered rows: 32 KiB window, memory level 8.
  if (deflateInit2(&stream, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK)
    throw std::runtime_error("deflateInit2");
  if (begin > 0) {
    const size_t primed = std::min(begin, windowBytes);
    deflateSetDictionary(&stream, data + begin - primed, uInt(primed));
  }
  out.size = end - begin;
  out.adler = adler32(1, data + begin, uInt(out.size));
  out.deflated.resize(deflateBound(&stream, uLong(out.size)) + 64);
  stream.next_in = const_cast<Bytef *>(data + begin);
  stream.avail_in = uInt(out.size);
  size_t produced = 0;
  const int flush = last ? Z_FINISH : Z_SYNC_FLUSH;
  for (;;) {
    stream.next_out = out.deflated.data() + produced;
    stream.avail_out = uInt(out.deflated.size() - produced);
    const int result = deflate(&stream, flush);
    produced = out.deflated.size() - stream.avail_out;
    if (last ? result == Z_STREAM_END : (stream.avail_in == 0 && stream.avail_out > 0))
      break;
    if (result != Z_OK && result != Z_BUF_ERROR)
      throw std::runtime_error("deflate");
    out.deflated.resize(out.deflated.size() * 2);
  }
  out.deflated.resize(produced);
  deflateEnd(&stream);
}

void WriteToVector(png_structp png, png_bytep data, size_t length) {
  auto *bytes = static_cast<std::vector<uint8_t> *>(png_get_io_ptr(png));
  bytes->insert(bytes->end(), data, data + length);
}

void FlushNothing(png_structp) {}

[[noreturn]] void OnPngError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }

// Every libpng call runs in this frame, which owns nothing: an error jumps back here.
bool WriteChunks(png_structp png, png_infop info, int width, int height, int bytesPerPixel,
                 const std::vector<uint8_t> &stream, size_t idatBytes, std::vector<uint8_t> *file) {
  if (setjmp(png_jmpbuf(png)))
    return false;
  png_set_write_fn(png, file, WriteToVector, FlushNothing);
  png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), 8,
               bytesPerPixel == 4 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  static const png_byte idat[5] = "IDAT", iend[5] = "IEND";
  for (size_t at = 0; at < stream.size(); at += idatBytes)
    png_write_chunk(png, idat, stream.data() + at, std::min(idatBytes, stream.size() - at));
  // png_write_end insists on IDATs it wrote itself; the closing chunk goes the same way.
  png_write_chunk(png, iend, nullptr, 0);
  return true;
}

} // namespace

std::vector<uint8_t> ParallelZlib(const uint8_t *data, size_t size, int level, size_t segmentBytes, int threads) {
  const size_t count = std::max<size_t>(1, (size + segmentBytes - 1) / segmentBytes);
  std::vector<Segment> segments(count);
  std::atomic<size_t> next{0};
  auto work = [&] {
    for (size_t k = next++; k < count; k = next++)
      CompressSegment(data, k * segmentBytes, std::min(size, (k + 1) * segmentBytes), k + 1 == count, level,
                      segments[k]);
  };
  std::vector<std::thread> workers;
  for (int t = 1; t < threads; ++t)
    workers.emplace_back(work);
  work();
  for (auto &worker : workers)
    worker.join();

  std::vector<uint8_t> stream;
  size_t total = 6;
  for (const Segment &segment : segments)
    total += segment.deflated.size();
  stream.reserve(total);
  // The header of a stream at level 9 with a 32 KiB window, as zlib writes it.
  stream.push_back(0x78);
  stream.push_back(level >= 7 ? 0xDA : level >= 6 ? 0x9C : level >= 2 ? 0x5E : 0x01);
  uLong adler = 1;
  for (const Segment &segment : segments) {
    stream.insert(stream.end(), segment.deflated.begin(), segment.deflated.end());
    adler = adler32_combine(adler, segment.adler, z_off_t(segment.size));
  }
  for (int shift = 24; shift >= 0; shift -= 8)
    stream.push_back(uint8_t(adler >> shift));
  return stream;
}

std::vector<uint8_t> FilterNoneRows(const uint8_t *pixels, int width, int height, int bytesPerPixel, int64_t stride) {
  const size_t rowBytes = size_t(width) * size_t(bytesPerPixel);
  std::vector<uint8_t> rows(size_t(height) * (rowBytes + 1));
  uint8_t *at = rows.data();
  for (int y = 0; y < height; ++y, at += rowBytes + 1) {
    at[0] = 0;
    std::memcpy(at + 1, pixels + int64_t(y) * stride, rowBytes);
  }
  return rows;
}

std::vector<uint8_t> PngFromStream(int width, int height, int bytesPerPixel, const std::vector<uint8_t> &stream,
                                   size_t idatBytes) {
  std::vector<uint8_t> file;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, nullptr);
  png_infop info = png_create_info_struct(png);
  const bool written = WriteChunks(png, info, width, height, bytesPerPixel, stream, idatBytes, &file);
  png_destroy_write_struct(&png, &info);
  if (!written)
    throw std::runtime_error("libpng could not write the chunks");
  return file;
}
