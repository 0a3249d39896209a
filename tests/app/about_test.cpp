// The enciphered window title and About text.
#include "app/about.h"
#include "platform/ui.h"
#include "tests/support/apptest.h"

TEST(DecipherText, LowersEveryCodeUnitByTheOffset) {
  EXPECT_EQ(DecipherText(QString()), QString());
  const char16_t stored[] = {u'A' + cipherOffset, 0x2013 + cipherOffset, u'\n' + cipherOffset, 0xFFFF};
  const char16_t shown[] = {u'A', 0x2013, u'\n', char16_t(0xFFFF - cipherOffset)};
  const QString input = QString::fromUtf16(stored, 4);
  EXPECT_EQ(DecipherText(input), QString::fromUtf16(shown, 4));
  EXPECT_EQ(input, QString::fromUtf16(stored, 4)); // the argument is not changed
}

TEST(DecipherText, StoredTextsAreNotPlain) {
  const QString title = DecipherText(TitleCipher());
  EXPECT_TRUE(title.startsWith("ZIRF 1.0"));
  EXPECT_EQ(TitleCipher().size(), title.size());
  EXPECT_FALSE(TitleCipher().contains("ZIRF"));
  const QString about = DecipherText(AboutCipher());
  EXPECT_TRUE(about.contains("ZIRF 1.0"));
  EXPECT_TRUE(about.contains("MIT License"));
  EXPECT_FALSE(AboutCipher().contains("ZIRF"));
}

using AboutBox = AppTest;

TEST_F(AboutBox, WindowTitleIsTheDecipheredTitle) { EXPECT_EQ(WindowTitle(), DecipherText(TitleCipher())); }
