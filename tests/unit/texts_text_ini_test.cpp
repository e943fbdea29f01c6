#include <gtest/gtest.h>

#include <set>

#include "fakes/fake_profile.h"
#include "texts/text_ini.h"
#include "texts_test_support.h"

namespace {

using core::u16;

// The key table as the product defines it, written out independently of
// the header so that a typo in either shows up.
struct Row {
    const char16_t* key;
    const char16_t* fallback;
};
const Row kTable[] = {
    {u"SelectLanguage", u"Select Language"},
    {u"PleaseSelectLanguage", u"Please Select Language"},
    {u"Cancel", u"Cancel"},
    {u"Chinese", u"Chinese"},
    {u"English", u"English"},
    {u"Russian", u"Russian"},
    {u"SelectLanguageCN", u"选择语言"},
    {u"PleaseSelectLanguageCN", u"请选择语言"},
    {u"CancelCN", u"取消"},
    {u"OK", u"OK"},
    {u"Back", u"Back"},
    {u"Next", u"Next"},
    {u"Browse", u"Browse"},
    {u"DriverTitle", u"Model:"},
    {u"PrintTitle", u"Printer Name:"},
    {u"DefaultPrinter", u"Set as default printer"},
    {u"Please select model", u"Please select model"},
    {u"NoSelectPrinter", u"Please Select a Printer Driver"},
    {u"MsgBoxTitle", u"Printer Driver Installation"},
    {u"Finish", u"Finish"},
    {u"Choose installation folder", u"Choose installation folder"},
    {u"InstallPath", u"Path"},
    {u"Printer Setting", u"Printer Setting"},
    {u"Installing", u"Installing"},
    {u"Setup Complete", u"Setup Complete"},
    {u"Setup Failed", u"Setup Failed"},
};

TEST(TextIni, EveryKeyYieldsItsDefaultWithoutTextIni) {
    ASSERT_EQ(std::size(textini::kAllKeys), std::size(kTable));
    for (const Row& row : kTable) {
        SCOPED_TRACE(core::Utf16ToUtf8(row.key));
        const textini::Key* key = textini::FindKey(row.key);
        ASSERT_NE(key, nullptr);
        EXPECT_EQ(u16(key->fallback), row.fallback);

        fakes::FakeProfileReader ini;
        EXPECT_EQ(textini::ReadTextIni(ini, u"C:\\Users\\me\\Documents", *key), row.fallback);
        ASSERT_EQ(ini.calls.size(), 1u);
        EXPECT_EQ(ini.calls[0].path, u"C:\\Users\\me\\Documents\\Text.ini");
        EXPECT_EQ(ini.calls[0].section, u"Text");
        EXPECT_EQ(ini.calls[0].key, row.key);
        EXPECT_EQ(ini.calls[0].capacity, 256u);
    }
}

TEST(TextIni, NamedConstantsMatchTheirKeys) {
    // Spot checks of the names other code uses.
    EXPECT_EQ(u16(textini::Back.name), u"Back");
    EXPECT_EQ(u16(textini::PleaseSelectModel.name), u"Please select model");
    EXPECT_EQ(u16(textini::InstallPath.fallback), u"Path");
    EXPECT_EQ(u16(textini::DriverTitle.fallback), u"Model:");
    std::set<u16> names;
    for (const auto& k : textini::kAllKeys) EXPECT_TRUE(names.insert(k.name).second);
    EXPECT_EQ(textini::FindKey(u"back"), nullptr);  // lookups are exact
}

TEST(TextIni, ValueFromTheFileIsUsedAndCutTo255Characters) {
    for (std::size_t len : {0u, 1u, 254u, 255u, 256u, 300u}) {
        SCOPED_TRACE(len);
        fakes::FakeProfileReader ini;  // returns values whole
        const u16 value = testsupport::Repeat(u'v', len);
        ini.Set(u"C:\\Docs\\Text.ini", u"Text", u"Next", value);
        EXPECT_EQ(textini::ReadTextIni(ini, u"C:\\Docs", textini::Next),
                  value.substr(0, std::min<std::size_t>(len, 255)));
    }
}

TEST(TextIni, KeyInAnotherSectionOrFileIsNotUsed) {
    fakes::FakeProfileReader ini;
    ini.Set(u"C:\\Docs\\Text.ini", u"Other", u"Back", u"Wrong");
    ini.Set(u"C:\\Else\\Text.ini", u"Text", u"Back", u"Wrong");
    EXPECT_EQ(textini::ReadTextIni(ini, u"C:\\Docs", textini::Back), u"Back");
}

TEST(TextIni, NoWorkingFolderReadsFromTheDriveRoot) {
    fakes::FakeProfileReader ini;
    textini::ReadTextIni(ini, u"", u"Back", u"Back");
    ASSERT_EQ(ini.calls.size(), 1u);
    EXPECT_EQ(ini.calls[0].path, u"\\Text.ini");
}

}  // namespace
