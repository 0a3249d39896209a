#include "image/pngwriter.h"

#include "platform/imagelib.h"

#include <csetjmp>
#include <png.h>

namespace {

// libpng must not return from its error callback: jump back into WriteImage.
[[noreturn]] void OnPngError(png_structp png, png_const_charp) { std::longjmp(png_jmpbuf(png), 1); }

void OnPngWarning(png_structp, png_const_charp) {}

void WriteToSink(png_structp png, png_bytep data, size_t length) {
  ByteSink *sink = static_cast<ByteSink *>(png_get_io_ptr(png));
  if (!sink->Write(data, length))
    png_error(png, "the bytes could not be written");
}

void FlushNothing(png_structp) {} // the sink decides when its bytes reach the disk

// Every libpng call that can fail runs in this frame. An error jumps back to the setjmp
// with longjmp, which runs no destructors: nothing here may own one.
bool WriteImage(png_structp png, png_infop info, ByteSink *sink, int slot) {
  if (setjmp(png_jmpbuf(png)))
    return false;
  const int height = ImageHeight(slot);
  png_set_write_fn(png, sink, WriteToSink, FlushNothing);
  png_set_filter(png, PNG_FILTER_TYPE_BASE, PNG_FILTER_NONE);
  png_set_compression_level(png, 9);
  png_set_IHDR(png, info, png_uint_32(ImageWidth(slot)), png_uint_32(height), 8,
               ImageDepth(slot) == 32 ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y)
    png_write_row(png, ImageRowConst(slot, y)); // the image's rows are already R, G, B(, A)
  png_write_end(png, nullptr);
  return true;
}

} // namespace

bool WritePng(ByteSink &sink, int slot) {
  if (!ImageExists(slot))
    return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, OnPngError, OnPngWarning);
  if (!png)
    return false;
  png_infop info = png_create_info_struct(png);
  const bool written = info && WriteImage(png, info, &sink, slot);
  png_destroy_write_struct(&png, &info);
  return written;
}
