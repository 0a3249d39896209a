// The image library: numbered images that every picture operation is built from.
#include "platform/colour.h"
#include "platform/imagelib.h"

#include <QImage>
#include <array>
#include <gtest/gtest.h>
#include <vector>

namespace {

constexpr int first = 1, second = 2, third = 3;

using Pixel = std::array<int, 4>; // red, green, blue, alpha (255 for a 24-bit image)

Pixel PixelAt(int slot, int x, int y) {
  const int bpp = ImageDepth(slot) / 8;
  const uint8_t *p = ImageRowConst(slot, y) + x * bpp;
  return {p[0], p[1], p[2], bpp == 4 ? p[3] : 255};
}

void SetPixel(int slot, int x, int y, Pixel value) {
  const int bpp = ImageDepth(slot) / 8;
  uint8_t *p = ImageRow(slot, y) + x * bpp;
  for (int c = 0; c < bpp; ++c)
    p[c] = uint8_t(value[c]);
}

// Pixel (x, y) of the patterned images below: every pixel and channel differs.
Pixel Patterned(int x, int y, int alphaBase) { return {10 + x, 100 + y, 200 + x + y, alphaBase + x * 5 + y}; }

// A width x height image at depth whose pixels are Patterned(x, y, alphaBase).
void MakePatterned(int slot, int width, int height, int depth, int alphaBase = 50) {
  ASSERT_TRUE(CreateImage(slot, width, height, depth, 0));
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x)
      SetPixel(slot, x, y, Patterned(x, y, alphaBase));
}

Pixel Rgb(Pixel p) { return {p[0], p[1], p[2], 255}; }

class ImageLibrary : public ::testing::Test {
protected:
  void SetUp() override { FreeAllImages(); }
  void TearDown() override { FreeAllImages(); }
};

TEST_F(ImageLibrary, CreateFillsEveryPixelAtEitherDepth) {
  for (int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    ASSERT_TRUE(CreateImage(first, 3, 2, depth, PackColour(1, 2, 3)));
    EXPECT_TRUE(ImageExists(first));
    EXPECT_EQ(ImageWidth(first), 3);
    EXPECT_EQ(ImageHeight(first), 2);
    EXPECT_EQ(ImageDepth(first), depth);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x)
        EXPECT_EQ(PixelAt(first, x, y), (Pixel{1, 2, 3, 255})) << x << "," << y;
  }
}

TEST_F(ImageLibrary, CreateRefusesBadSizesAndDepthsLeavingTheSlotEmpty) {
  struct Case {
    int width, height, depth;
  };
  const std::vector<Case> refused = {{0, 5, 24},     {5, 0, 24}, {-1, 5, 24}, {32768, 1, 24},
                                     {1, 32768, 32}, {4, 4, 8},  {4, 4, 16}};
  for (const Case &c : refused) {
    SCOPED_TRACE(testing::Message() << c.width << "x" << c.height << "@" << c.depth);
    ASSERT_TRUE(CreateImage(first, 2, 2, 24, 0));
    EXPECT_FALSE(CreateImage(first, c.width, c.height, c.depth, 0));
    EXPECT_FALSE(ImageExists(first)); // what the slot held was freed
    EXPECT_EQ(ImageWidth(first), 0);
    EXPECT_EQ(ImageHeight(first), 0);
    EXPECT_EQ(ImageDepth(first), 0);
  }
  EXPECT_TRUE(CreateImage(first, maxImageSide, 1, 24, 0));
  EXPECT_TRUE(CreateImage(first, 1, maxImageSide, 32, 0));
}

TEST_F(ImageLibrary, CopyIsExactInEveryChannelAndIndependent) {
  MakePatterned(first, 4, 3, 32);
  ASSERT_TRUE(CreateImage(second, 9, 9, 24, 0)); // replaced by the copy
  ASSERT_TRUE(CopyImage(second, first));
  EXPECT_EQ(ImageWidth(second), 4);
  EXPECT_EQ(ImageHeight(second), 3);
  EXPECT_EQ(ImageDepth(second), 32);
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(PixelAt(second, x, y), Patterned(x, y, 50));
  SetPixel(second, 0, 0, {0, 0, 0, 0});
  EXPECT_EQ(PixelAt(first, 0, 0), Patterned(0, 0, 50));
  EXPECT_FALSE(CopyImage(third, 77)); // nothing to copy
  EXPECT_FALSE(ImageExists(third));
}

TEST_F(ImageLibrary, GrabCopiesTheRectangleAndBlackBeyondTheEdges) {
  for (int depth : {24, 32}) {
    SCOPED_TRACE(depth);
    MakePatterned(first, 5, 4, depth);
    // Sticks out beyond the left, bottom and right edges of the 5 x 4 source.
    ASSERT_TRUE(GrabImage(second, first, -1, 2, 7, 3));
    ASSERT_EQ(ImageWidth(second), 7);
    ASSERT_EQ(ImageHeight(second), 3);
    EXPECT_EQ(ImageDepth(second), depth);
    for (int y = 0; y < 3; ++y)
      for (int x = 0; x < 7; ++x) {
        const int sx = x - 1, sy = y + 2;
        const bool inside = sx >= 0 && sx < 5 && sy < 4;
        Pixel expected = inside ? Patterned(sx, sy, 50) : Pixel{0, 0, 0, 255};
        if (depth == 24)
          expected = Rgb(expected);
        EXPECT_EQ(PixelAt(second, x, y), expected) << x << "," << y;
      }
  }
}

TEST_F(ImageLibrary, DrawCopiesColoursClippedAndKeepsTheTargetsAlpha) {
  struct Case {
    int sourceDepth, targetDepth;
  };
  for (const Case c : {Case{24, 24}, Case{32, 32}, Case{24, 32}, Case{32, 24}}) {
    SCOPED_TRACE(testing::Message() << c.sourceDepth << " onto " << c.targetDepth);
    MakePatterned(first, 3, 2, c.sourceDepth, 0);   // source alpha 0.. must not show
    MakePatterned(second, 4, 4, c.targetDepth, 90); // target keeps these alphas
    ASSERT_TRUE(CopyImage(third, second));
    DrawImage(second, first, 2, -1); // only the source's bottom row and two columns land
    for (int y = 0; y < 4; ++y)
      for (int x = 0; x < 4; ++x) {
        const Pixel before = PixelAt(third, x, y);
        const bool covered = x >= 2 && y == 0;
        Pixel expected = before;
        if (covered) {
          const Pixel source = Patterned(x - 2, y + 1, 0);
          expected = {source[0], source[1], source[2], before[3]};
        }
        EXPECT_EQ(PixelAt(second, x, y), expected) << x << "," << y;
      }
  }
}

TEST_F(ImageLibrary, DrawEntirelyOutsideOrOntoItselfChangesNothing) {
  MakePatterned(first, 3, 3, 24);
  MakePatterned(second, 4, 4, 32);
  ASSERT_TRUE(CopyImage(third, second));
  for (auto [x, y] : std::vector<std::pair<int, int>>{{4, 0}, {0, 4}, {-3, 0}, {0, -3}, {-100, 200}})
    DrawImage(second, first, x, y);
  DrawImage(second, second, 1, 1);
  DrawImage(second, 99, 0, 0);
  for (int y = 0; y < 4; ++y)
    for (int x = 0; x < 4; ++x)
      EXPECT_EQ(PixelAt(second, x, y), PixelAt(third, x, y));
}

TEST_F(ImageLibrary, BoxFillsTheClippedRectangleAndKeepsAlpha) {
  MakePatterned(first, 4, 3, 32);
  DrawBox(first, 2, 1, 5, 5, PackColour(255, 0, 255));
  for (int y = 0; y < 3; ++y)
    for (int x = 0; x < 4; ++x) {
      const Pixel before = Patterned(x, y, 50);
      const Pixel expected = x >= 2 && y >= 1 ? Pixel{255, 0, 255, before[3]} : before;
      EXPECT_EQ(PixelAt(first, x, y), expected) << x << "," << y;
    }
}

TEST_F(ImageLibrary, MoveHandsTheImageOverAndFreeEmpties) {
  MakePatterned(first, 2, 3, 24);
  ASSERT_TRUE(CreateImage(second, 5, 5, 32, 0));
  MoveImage(second, first);
  EXPECT_FALSE(ImageExists(first));
  EXPECT_EQ(ImageWidth(second), 2);
  EXPECT_EQ(ImageDepth(second), 24);
  EXPECT_EQ(PixelAt(second, 1, 2), Rgb(Patterned(1, 2, 50)));
  MoveImage(second, first); // moving nothing empties the target
  EXPECT_FALSE(ImageExists(second));
  ASSERT_TRUE(CreateImage(first, 1, 1, 24, 0));
  FreeImage(first);
  EXPECT_FALSE(ImageExists(first));
  FreeImage(first); // freeing an empty slot is harmless
}

TEST_F(ImageLibrary, FreeNumbersAvoidOccupiedOnes) {
  const int number = AllocateImageNumber();
  EXPECT_GE(number, firstFreeImageNumber);
  EXPECT_FALSE(ImageExists(number));
  ASSERT_TRUE(CreateImage(number, 1, 1, 24, 0));
  const int next = AllocateImageNumber();
  EXPECT_NE(next, number);
  EXPECT_FALSE(ImageExists(next));
}

TEST_F(ImageLibrary, HandleOutlivesTheSlotsNextImage) {
  MakePatterned(first, 2, 2, 24);
  const std::shared_ptr<const QImage> held = ImageHandle(first);
  ASSERT_TRUE(held);
  ASSERT_TRUE(CreateImage(first, 7, 7, 32, PackColour(9, 9, 9)));
  EXPECT_EQ(held->size(), QSize(2, 2));
  EXPECT_EQ(held->pixel(1, 0), qRgb(11, 100, 201));
  EXPECT_FALSE(ImageHandle(third));
}

TEST_F(ImageLibrary, AdoptedPicturesKeepTheirBytes) {
  QImage picture(3, 1, QImage::Format_RGB888);
  picture.setPixel(0, 0, qRgb(1, 2, 3));
  picture.setPixel(1, 0, qRgb(4, 5, 6));
  picture.setPixel(2, 0, qRgb(7, 8, 9));
  AdoptImage(first, std::move(picture));
  EXPECT_EQ(ImageDepth(first), 24);
  EXPECT_EQ(PixelAt(first, 0, 0), (Pixel{1, 2, 3, 255}));
  EXPECT_EQ(PixelAt(first, 2, 0), (Pixel{7, 8, 9, 255}));
}

} // namespace
