// The extension of a path and its upper case, as the map file, dropped files and
// picture saving compare it.
#include "platform/pathtext.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
struct ExtensionCase {
  QString path;
  QString extension; // empty: none
};
} // namespace

TEST(PathText, ExtensionIsTheTextAfterTheLastDotOfTheLastPart) {
  const std::vector<ExtensionCase> cases = {
      {"C:\\maps\\level1.zirf-map", "zirf-map"},
      {"C:\\my maps\\level 1.zirf-map", "zirf-map"}, // the blanks stand before the last dot
      {"C:\\pics\\tiles.zirf-map.png", "png"},
      {"C:\\pics.zirf-map\\tiles", ""}, // a backslash follows the last dot
      {"/home/pics.d/tiles", ""},       // so does a slash
      {"C:\\pics\\.zirf-map", ""},      // the dot directly follows a backslash
      {"/home/me/.zirf-map", ""},       // or a slash
      {".zirf-map", ""},                // or is the first character
      {"tiles", ""},
      {"tiles.", ""},
      {"a.b.c", "c"},
      {"x..png", "png"},
      {"tiles.png ", ""}, // the scan meets the blank first
      {"my tiles.zirf-map x", ""},
      {"tiles.png\"rest", "png"}, // the extension ends at a double quote
      {"tiles.\"png\"", ""},
      {"C:\\pics\\bild.größe", "größe"},
      {"", ""},
  };
  for (const ExtensionCase &c : cases)
    EXPECT_EQ(PathExtension(c.path), c.extension) << c.path.toStdString();
}

TEST(PathText, UpperCaseMapsEveryCharacter) {
  EXPECT_EQ(UpperCase("zirf-map"), "ZIRF-MAP");
  EXPECT_EQ(UpperCase("stra\u00DFe"), "STRASSE"); // sharp s becomes two letters
  EXPECT_EQ(UpperCase("\u00E9t\u00E9"), "\u00C9T\u00C9");
  EXPECT_EQ(UpperCase("z\u0131rf"), "ZIRF"); // dotless i
  EXPECT_EQ(UpperCase("\uFB01le"), "FILE");  // the fi ligature
}

TEST(PathText, MapFileTestComparesTheWholeUpperCasedExtension) {
  const std::vector<std::pair<QString, bool>> cases = {
      {"C:\\maps\\level1.zirf-map", true},
      {"C:\\maps\\LEVEL1.ZIRF-MAP", true},
      {"C:\\maps\\Level1.Zirf-Map", true},
      {"C:\\my maps\\level 1.zirf-map", true},
      {"level1.z\u0131rf-map", true},
      {"C:\\pics\\tiles.png", false},
      {"C:\\pics\\tiles.zirf-map.png", false},
      {"C:\\pics\\tiles.zirf-mapx", false},
      {"C:\\pics\\tiles.zirf-ma", false},
      {"C:\\pics.zirf-map\\tiles", false},
      {"C:\\pics\\.zirf-map", false},
      {"tiles.zirf-map\"", true},
      {"tiles", false},
      {"tiles.txt", false},
      {"tiles.ZIRF-MAP", true},
      {"tiles.Zirf-Map", true},
      {".zirf-map", false},
  };
  for (const auto &[path, isMap] : cases)
    EXPECT_EQ(HasExtension(path, "ZIRF-MAP"), isMap) << path.toStdString();
  EXPECT_TRUE(HasExtension("photo.Png", "PNG"));
  EXPECT_FALSE(HasExtension("photo.png", "png")); // the comparison is with upper case
}
