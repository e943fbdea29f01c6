// The default payload's data files, converted as the build converts them.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>

#include "texts/install_texts.h"
#include "texts/utf16_text_file.h"

namespace {

using core::u16;

std::string Source(const std::string& name) {
    std::ifstream in(std::string(SOURCE_ROOT) + "/payload_files/" + name, std::ios::binary);
    EXPECT_TRUE(in) << name;
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

std::vector<std::uint8_t> Converted(const std::string& name) {
    std::vector<std::uint8_t> bytes;
    EXPECT_TRUE(texts::Utf8SourceToUtf16File(Source(name), &bytes)) << name;
    return bytes;
}

u16 Units(const std::vector<std::uint8_t>& bytes) {
    u16 s;
    for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
        s.push_back(static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8)));
    return s;
}

std::vector<u16> SplitCrLf(const u16& s) {
    std::vector<u16> lines;
    std::size_t start = 0;
    for (;;) {
        const auto pos = s.find(u"\r\n", start);
        lines.push_back(s.substr(start, pos == u16::npos ? u16::npos : pos - start));
        if (pos == u16::npos) return lines;
        start = pos + 2;
    }
}

// Every converted file: BOM, CR LF only, no line end after the last line.
void ExpectUtf16Layout(const std::vector<std::uint8_t>& bytes) {
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes[0], 0xFF);
    EXPECT_EQ(bytes[1], 0xFE);
    EXPECT_EQ(bytes.size() % 2, 0u);
    const u16 s = Units(bytes);
    for (std::size_t i = 0; i < s.size(); ++i) {
        if (s[i] == u'\n') { EXPECT_TRUE(i > 0 && s[i - 1] == u'\r') << "bare LF at " << i; }
        if (s[i] == u'\r') { EXPECT_TRUE(i + 1 < s.size() && s[i + 1] == u'\n') << "bare CR at " << i; }
    }
    ASSERT_FALSE(s.empty());
    EXPECT_NE(s.back(), u'\n');
}

#define FIELD(t, name) u16(core::FieldView((t).name))

struct TextFileCase {
    const char* file;
    const char16_t* resourceDll;
    const char16_t* dialogTitle;
};
const TextFileCase kTextFiles[] = {
    {"InstallConfig_en.txt", u"ENGLISH.DLL", u"Label Printer Driver--Select Language"},
    {"InstallConfig_cn.txt", u"CHISMPL.DLL", u"标签打印机驱动安装--选择语言"},
    {"InstallConfig_tn.txt", u"CHITRAD.DLL", nullptr},
};

TEST(PayloadTextFiles, ConvertAndParseIntoEveryFieldWithoutCutting) {
    for (const TextFileCase& c : kTextFiles) {
        SCOPED_TRACE(c.file);
        const auto bytes = Converted(c.file);
        ExpectUtf16Layout(bytes);
        texts::InstallTexts t;
        texts::ParseInstallTexts(bytes.data(), bytes.size(), t);

        const u16 pages[] = {FIELD(t, WelcomeText), FIELD(t, FolderText),    FIELD(t, InstallingText),
                             FIELD(t, SuccessText), FIELD(t, CancelledText), FIELD(t, FailedText)};
        for (const u16& p : pages) {
            EXPECT_FALSE(p.empty());
            EXPECT_LT(p.size(), 511u);  // not at the cut
        }
        // Outcome blocks: the outcome line, then the line asking to finish.
        for (const u16* p : {&pages[3], &pages[4], &pages[5]}) {
            EXPECT_EQ(std::count(p->begin(), p->end(), u'\n'), 2) << core::Utf16ToUtf8(*p);
        }
        const u16 names[] = {FIELD(t, WindowTitle), FIELD(t, PrinterBaseName), FIELD(t, DriverName),
                             FIELD(t, MonitorName), FIELD(t, PortPrefix),      FIELD(t, ProductTitle),
                             FIELD(t, DriverResourceDll)};
        for (const u16& n : names) EXPECT_FALSE(n.empty());
        EXPECT_EQ(FIELD(t, PortPrefix).back(), u':');
        EXPECT_EQ(FIELD(t, DriverResourceDll), c.resourceDll);

        const u16 last = texts::ReadLastLine(bytes.data(), bytes.size());
        if (c.dialogTitle) { EXPECT_EQ(last, c.dialogTitle); }
        // The dialog title is in no field.
        for (const u16& n : names) EXPECT_NE(n, last);

        // Every line stays inside one read and the separators are 50 '='.
        int separators = 0;
        for (const u16& line : SplitCrLf(Units(bytes))) {
            EXPECT_LT(line.size() + 2, texts::kLinePieceChars);
            if (core::Contains(line, u"=")) {
                EXPECT_EQ(line, u16(50, u'='));
                ++separators;
            }
        }
        EXPECT_EQ(separators, 7);
    }
}

TEST(PayloadTextFiles, EnglishFileHasTheDocumentedTexts) {
    const auto bytes = Converted("InstallConfig_en.txt");
    texts::InstallTexts t;
    texts::ParseInstallTexts(bytes.data(), bytes.size(), t);
    struct Begin {
        u16 field;
        const char16_t* start;
    };
    const Begin begins[] = {
        {FIELD(t, WelcomeText), u"Welcome use Label printer.\n"},
        {FIELD(t, FolderText), u"Setup will install the Label printer driver in the following folder If \n"},
        {FIELD(t, InstallingText), u"Setup is installingLabel printer driver in your computer.\n"},
        {FIELD(t, SuccessText), u"Setup has successfully installed Label printer driver. \n"},
        {FIELD(t, CancelledText), u"Label printer driver cancelled by user\n"},
        {FIELD(t, FailedText), u"Label Printer install failed\n"},
    };
    for (const Begin& b : begins) {
        SCOPED_TRACE(core::Utf16ToUtf8(b.start));
        EXPECT_TRUE(core::StartsWith(b.field, b.start)) << core::Utf16ToUtf8(b.field);
    }
    const u16 welcome = FIELD(t, WelcomeText);
    const u16 end = u"Please click [next] to continue.\n";
    ASSERT_GE(welcome.size(), end.size());
    EXPECT_EQ(welcome.substr(welcome.size() - end.size()), end);
    EXPECT_TRUE(core::Contains(welcome, u"\n\n"));  // blank lines kept as LF

    EXPECT_EQ(FIELD(t, WindowTitle), u"Label Printer Driver installation");
    EXPECT_EQ(FIELD(t, PrinterBaseName), u"Label Printer Printer");
    EXPECT_EQ(FIELD(t, DriverName), u"Label Printer Driver");
    EXPECT_EQ(FIELD(t, MonitorName), u"Label USB Printer Monitor");
    EXPECT_EQ(FIELD(t, PortPrefix), u"Label USB Printer Monitor:");
    EXPECT_EQ(FIELD(t, ProductTitle), u"Label Printer Driver V 1.0");
    EXPECT_EQ(FIELD(t, DriverResourceDll), u"ENGLISH.DLL");
}

std::vector<std::string> SplitFields(const std::string& row) {
    std::vector<std::string> fields;
    std::stringstream ss(row);
    std::string f;
    while (std::getline(ss, f, ',')) fields.push_back(f);
    if (!row.empty() && row.back() == ',') fields.push_back("");
    return fields;
}

std::string Trim(std::string s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.erase(0, 1);
    return s;
}

bool IsDecimal(const std::string& s) {
    return !s.empty() && std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool IsVidPid(const std::string& s) {
    if (s.size() != 17 || s.compare(0, 4, "vid_") != 0 || s.compare(8, 5, "&pid_") != 0) return false;
    for (std::size_t i : {4u, 5u, 6u, 7u, 13u, 14u, 15u, 16u})
        if (!std::isxdigit(static_cast<unsigned char>(s[i]))) return false;
    return true;
}

TEST(PayloadModelList, CommentLineThenWellFormedRows) {
    const auto bytes = Converted("PrinterName.txt");
    ExpectUtf16Layout(bytes);
    EXPECT_LT(bytes.size(), 1300u);
    const std::vector<u16> lines = SplitCrLf(Units(bytes));
    ASSERT_GE(lines.size(), 2u);
    EXPECT_EQ(lines[0], u"//打印机名称,是否带切刀,指令型号TSC or ESC,GPD文件,vid&pid,分辨率,硬件ID,"
                        u"默认纸张宽度,默认纸张高度,打印头宽度(点)");
    std::set<std::string> commandSets, ids, names;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::string row = core::Utf16ToUtf8(lines[i]);
        SCOPED_TRACE(row);
        EXPECT_EQ(row.find("//"), std::string::npos);
        const auto f = SplitFields(row);
        ASSERT_EQ(f.size(), 10u);
        for (const auto& field : f) EXPECT_FALSE(Trim(field).empty());
        const std::string name = Trim(f[0]);
        EXPECT_EQ(name, f[0]);  // the model box shows the first field unchanged
        EXPECT_LE(lines[i].substr(0, lines[i].find(u',')).size(), 63u);
        EXPECT_TRUE(names.insert(name).second);
        EXPECT_TRUE(Trim(f[1]) == "0" || Trim(f[1]) == "1");
        const std::string set = Trim(f[2]);
        EXPECT_TRUE(set == "TSC" || set == "ESC");
        commandSets.insert(set);
        EXPECT_TRUE(IsVidPid(Trim(f[4])));
        EXPECT_TRUE(ids.insert(Trim(f[4])).second);
        EXPECT_TRUE(Trim(f[5]) == "203" || Trim(f[5]) == "300");
        EXPECT_LE(Trim(f[6]).size(), 31u);
        for (int k : {7, 8, 9}) EXPECT_TRUE(IsDecimal(Trim(f[k])));
    }
    EXPECT_GE(lines.size() - 1, 8u);
    EXPECT_EQ(commandSets, (std::set<std::string>{"ESC", "TSC"}));
}

TEST(PayloadMembers, ListNamesTheMembersInContainerOrderWithValidSources) {
    const char* const kNames[] = {
        "CHISMPL.DLL",         "CHISMPL.DLL.x64",         "CHITRAD.DLL",           "CHITRAD.DLL.x64",
        "ENGLISH.DLL",         "ENGLISH.DLL.x64",         "Image.dll",             "Image.dll.x64",
        "InstallConfig_cn.txt", "InstallConfig_en.txt",   "InstallConfig_tn.txt",  "plotter.dll",
        "plotter.dll.x64",     "plotui.dll",              "plotui.dll.x64",        "Rad80PrinterMon.dll",
        "Rad80PrinterMon.dll.x64", "Rad80PrinterMonUI.dll", "Rad80PrinterMonUI.dll.x64", "PrinterName.txt",
        "UNIDRV.HLP",          "Uninstaller.exe",         "VorskPrinterService.exe",
    };
    const std::set<std::string> programs = {"plotter.dll",         "plotui.dll",  "CHISMPL.DLL",
                                            "CHITRAD.DLL",         "ENGLISH.DLL", "Image.dll",
                                            "Rad80PrinterMon.dll", "Rad80PrinterMonUI.dll", "Uninstaller.exe",
                                            "VorskPrinterService.exe"};
    // Programs that have no ".x64" twin: the installer carries one build.
    const std::set<std::string> single = {"Uninstaller.exe", "VorskPrinterService.exe"};
    std::istringstream list(Source("members.list"));
    std::vector<std::pair<std::string, std::string>> members;
    std::string line;
    while (std::getline(list, line)) {
        if (line.empty() || line[0] == '#') continue;
        const auto tab = line.find('\t');
        ASSERT_NE(tab, std::string::npos) << line;
        ASSERT_EQ(line.find('\t', tab + 1), std::string::npos) << line;
        members.emplace_back(line.substr(0, tab), line.substr(tab + 1));
    }
    ASSERT_EQ(members.size(), std::size(kNames));
    for (std::size_t i = 0; i < members.size(); ++i) {
        const auto& [name, source] = members[i];
        SCOPED_TRACE(name);
        EXPECT_EQ(name, kNames[i]);
        const auto colon = source.find(':');
        ASSERT_NE(colon, std::string::npos);
        const std::string kind = source.substr(0, colon), file = source.substr(colon + 1);
        const bool x64 = name.size() > 4 && name.compare(name.size() - 4, 4, ".x64") == 0;
        if (kind == "text" || kind == "file") {
            EXPECT_EQ(file, name);
            std::ifstream f(std::string(SOURCE_ROOT) + "/payload_files/" + file);
            EXPECT_TRUE(f.good());
        } else if (kind == "prog32") {
            EXPECT_FALSE(x64);
            EXPECT_EQ(file, name);
            EXPECT_TRUE(programs.count(file));
        } else if (kind == "prog64") {
            ASSERT_TRUE(x64);
            EXPECT_EQ(file, name.substr(0, name.size() - 4));
            EXPECT_TRUE(programs.count(file));
            EXPECT_FALSE(single.count(file));
        } else if (kind == "prog") {
            // The build of the installer's own architecture.
            EXPECT_FALSE(x64);
            EXPECT_EQ(file, name);
            EXPECT_TRUE(single.count(file));
        } else {
            ADD_FAILURE() << "unknown source kind " << kind;
        }
        if (name.size() > 4 && name.compare(name.size() - 4, 4, ".txt") == 0) { EXPECT_EQ(kind, "text"); }
    }
}

}  // namespace
