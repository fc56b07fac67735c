// Stored templates and their multi-line form.
#include <gtest/gtest.h>

#include "settings/multiline.h"

TEST(Multiline, BothDirections) {
  struct Case {
    std::u16string stored, shown, back;
  } cases[] = {
      {u"a%cb", u"a\r\nb", u"a%cb"},
      {u"%C%C", u"\r\n\r\n", u"%c%c"},  // upper case comes back lower
      {u"%dup to %n.%l.%c", u"%dup to %n.%l.\r\n", u"%dup to %n.%l.%c"},
      {u"100%", u"100%", u"100%"},      // a lone % at the end
      {u"%%c", u"%\r\n", u"%%c"},       // the second % starts the code
      {u"", u"", u""},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(FormatToMultiline(c.stored), c.shown);
    EXPECT_EQ(MultilineToFormat(c.shown), c.back);
  }
}

TEST(Multiline, LoneBreaks) {
  EXPECT_EQ(MultilineToFormat(u"a\nb\n"), u"a%cb%c");  // what a Qt editor gives
  EXPECT_EQ(MultilineToFormat(u"a\rb"), u"a\rb");
  EXPECT_EQ(MultilineToFormat(u"a\r\r\nb"), u"a\r%cb");
}

TEST(Multiline, Limits) {
  // 1023 units at most, and a break is never split.
  std::u16string codes;
  for (int i = 0; i < 600; ++i) codes += u"%c";
  std::u16string shown = FormatToMultiline(codes);
  EXPECT_EQ(shown.size(), 1022u);
  EXPECT_EQ(shown.back(), u'\n');
  EXPECT_EQ(FormatToMultiline(std::u16string(2000, u'x')).size(), 1023u);

  // Into a 256-unit template: 255 units, a final break that does not fit is dropped.
  std::u16string text(254, u'x');
  EXPECT_EQ(MultilineToFormat(text + u"\r\n", 256), text);
  EXPECT_EQ(MultilineToFormat(std::u16string(300, u'y'), 256).size(), 255u);
  EXPECT_EQ(MultilineToFormat(std::u16string(253, u'z') + u"\n", 256).size(), 255u);
}
