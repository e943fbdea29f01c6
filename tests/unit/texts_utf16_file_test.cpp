#include <gtest/gtest.h>

#include "texts/utf16_text_file.h"
#include "texts_test_support.h"

namespace {

TEST(Utf8SourceToUtf16File, WritesBomCrLfAndNoFinalLineEnd) {
    struct Case {
        const char* what;
        std::string source;
        std::u16string expected;  // after the BOM
    };
    const Case cases[] = {
        {"empty", "", u""},
        {"one line", "a", u"a"},
        {"final newline dropped", "a\n", u"a"},
        {"only one final newline dropped", "a\n\n", u"a\r\n"},
        {"inner lines", "a\nb\n\nc\n", u"a\r\nb\r\n\r\nc"},
        {"CR LF source is not doubled", "a\r\nb\r\n", u"a\r\nb"},
        {"lone CR kept", "a\rb", u"a\rb"},
        {"UTF-8 BOM dropped", "\xEF\xBB\xBFx\n", u"x"},
        {"Chinese and Cyrillic", "中文\nРусский", u"中文\r\nРусский"},
        {"outside the BMP", "\xF0\x9F\x96\xA8", u"\U0001F5A8"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::vector<std::uint8_t> out = {1, 2, 3};
        ASSERT_TRUE(texts::Utf8SourceToUtf16File(c.source, &out));
        EXPECT_EQ(out, testsupport::Utf16File(c.expected));
    }
}

TEST(Utf8SourceToUtf16File, RejectsInvalidUtf8AndLeavesNothing) {
    const std::string bad[] = {"a\xFF", "\xE4\xB8", "\xC0\x80", "x\xED\xA0\x80y"};
    for (const std::string& s : bad) {
        SCOPED_TRACE(s.size());
        std::vector<std::uint8_t> out = {1, 2, 3};
        EXPECT_FALSE(texts::Utf8SourceToUtf16File(s, &out));
        EXPECT_TRUE(out.empty());
    }
}

}  // namespace
