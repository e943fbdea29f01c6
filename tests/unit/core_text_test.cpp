#include <gtest/gtest.h>

#include "core/text.h"

namespace {

TEST(CopyTruncated, CutsAtCapacityAndAlwaysTerminates) {
    struct Case { std::size_t capacity; const char16_t* text; const char16_t* expected; };
    const Case cases[] = {
        {1, u"abc", u""}, {3, u"abc", u"ab"}, {4, u"abc", u"abc"}, {10, u"", u""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.capacity);
        char16_t buf[12];
        std::fill(std::begin(buf), std::end(buf), u'#');
        core::CopyTruncated(buf, c.capacity, c.text);
        EXPECT_EQ(core::u16(buf), c.expected);
        EXPECT_EQ(buf[c.capacity], u'#');  // nothing written past the capacity
    }
}

TEST(Utf8, RoundTripsBmpAndSupplementaryAndReplacesInvalidBytes) {
    const core::u16 text = u"Label 打印机 Русский \U0001F5A8";
    EXPECT_EQ(core::Utf8ToUtf16(core::Utf16ToUtf8(text)), text);
    EXPECT_EQ(core::Utf8ToUtf16("a\xff" "b"), u"a\uFFFDb");
    EXPECT_EQ(core::Utf8ToUtf16("\xe4\xb8"), u"\uFFFD\uFFFD");  // cut-short sequence
}

TEST(EqualsNoCase, FoldsAsciiOnly) {
    EXPECT_TRUE(core::EqualsNoCase(u"PRINTERNAME.TXT", u"PrinterName.txt"));
    EXPECT_FALSE(core::EqualsNoCase(u"Р", u"р"));  // Cyrillic is not folded
    EXPECT_FALSE(core::EqualsNoCase(u"abc", u"abcd"));
}

}  // namespace
