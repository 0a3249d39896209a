// The image library: pictures addressed by small numbers ("slots").
//
// An image is width x height pixels at a depth of 24 bits (bytes red, green, blue)
// or 32 bits (red, green, blue, alpha); rows run top to bottom. No side exceeds
// maxImageSide. Creating an image in an occupied slot frees what was there.
#pragma once

#include <cstdint>
#include <memory>

class QImage;

constexpr int maxImageSide = 32767;

// Makes a width x height image at depth 24 or 32, every pixel fillColour (alpha 255).
// False, and the slot left empty, when a side is not 1..maxImageSide or memory runs out.
bool CreateImage(int slot, int width, int height, int depth, int32_t fillColour);

// Makes target an exact copy of source (size, depth, every channel).
bool CopyImage(int target, int source);

// Makes target a width x height image at source's depth holding source's pixels from
// (x, y), every channel; what lies beyond source's edges is opaque black.
bool GrabImage(int target, int source, int x, int y, int width, int height);

// Copies red, green and blue of every pixel of source onto target with source's top
// left at (x, y), clipped to target. Target alpha stays as it was; source alpha is ignored.
void DrawImage(int target, int source, int x, int y);

// Copies the red, green and blue of count pixels between rows of 3 or 4 bytes per pixel;
// a 32-bit target keeps its alpha.
void CopyColours(uint8_t *target, int targetBytesPerPixel, const uint8_t *source, int sourceBytesPerPixel, int count);

// Fills a rectangle of target with colour, clipped; alpha stays as it was.
void DrawBox(int target, int x, int y, int width, int height, int32_t colour);

// Hands source's image to target (freeing target's), leaving source empty. No pixel is copied.
void MoveImage(int target, int source);

// Puts a decoded picture into a slot; it must be Format_RGB888 or Format_RGBA8888.
void AdoptImage(int slot, QImage &&image);

void FreeImage(int slot);
void FreeAllImages();
bool ImageExists(int slot);
int ImageWidth(int slot);  // 0 when the slot is empty
int ImageHeight(int slot); // 0 when the slot is empty
int ImageDepth(int slot);  // 24 or 32; 0 when the slot is empty

// Direct access to the bytes of row y (0 <= y < height) of an existing image.
uint8_t *ImageRow(int slot, int y);
const uint8_t *ImageRowConst(int slot, int y);
int64_t ImageBytesPerLine(int slot);

// A number at or above firstFreeImageNumber that holds no image, for temporaries.
constexpr int firstFreeImageNumber = 1000;
int AllocateImageNumber();

// Shared, read-only hold on the image in a slot; it stays valid after the slot is
// replaced, so a view can keep showing the picture it was given.
std::shared_ptr<const QImage> ImageHandle(int slot);
