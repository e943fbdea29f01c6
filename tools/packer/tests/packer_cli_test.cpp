// Runs the packer's command line on real files in a temporary folder and
// reads what it wrote back with the container reader and the engines.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>

#include "packer_cli.h"
#include "payload/container.h"
#include "payload/container_writer.h"
#include "payload/extract.h"
#include "tools/common/stdio_fs.h"

namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<std::uint8_t>;

class TempDir {
public:
    TempDir() {
        std::random_device seed;
        path_ = fs::temp_directory_path() / ("packer_test_" + std::to_string(seed()) + std::to_string(seed()));
        fs::create_directories(path_);
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

private:
    fs::path path_;
};

void WriteFile(const fs::path& path, const Bytes& bytes) {
    fs::create_directories(path.parent_path());
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void WriteText(const fs::path& path, const std::string& text) { WriteFile(path, Bytes(text.begin(), text.end())); }

Bytes ReadFile(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

Bytes RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(gen());
    return bytes;
}

struct PackRun {
    int code;
    std::string out, err;
};

PackRun Pack(const std::vector<std::string>& args) {
    PackRun run;
    run.code = packer::RunPacker(args, &run.out, &run.err);
    return run;
}

struct Member {
    std::string name;
    Bytes contents;
};

// The members of a resource-form container, inflated with the memory engine
// into real files.
std::vector<Member> UnpackResource(const Bytes& container, const TempDir& scratch) {
    tools::StdioFileSystem stdio;
    std::vector<Member> members;
    payload::EntryCursor cursor = payload::ResourceEntries(container.data(), container.size());
    payload::EntryView entry;
    std::int32_t counter = 0;
    while (cursor.Next(&entry)) {
        EXPECT_FALSE(entry.Truncated()) << entry.name;
        if (entry.compressedLength < 2) {
            ADD_FAILURE() << entry.name << ": no zlib header";
            break;
        }
        EXPECT_EQ(entry.data[0], 0x78);  // default compression
        EXPECT_EQ(entry.data[1], 0x9C);
        const fs::path out = scratch / ("out" + std::to_string(members.size()));
        EXPECT_EQ(payload::ExtractFromMemory(entry.data, static_cast<std::int32_t>(entry.compressedLength),
                                             tools::StdioFileSystem::FromNative(out), &counter,
                                             static_cast<std::int32_t>(container.size()), stdio, {}),
                  0)
            << entry.name;
        members.push_back({std::string(entry.name), ReadFile(out)});
    }
    EXPECT_EQ(members.size(), payload::DeclaredMemberCount(container.data(), container.size()));
    return members;
}

const std::size_t kRoundTripSizes[] = {0, 1, 16383, 16384, 16385, 100000};

TEST(PackerCli, ResourceFormRoundTripsEverySizeAndIsDeterministic) {
    TempDir dir;
    std::vector<std::string> args = {"--out", (dir / "payload.bin").string()};
    std::vector<Member> expected;
    for (std::size_t size : kRoundTripSizes) {
        const std::string name = "member_" + std::to_string(size) + ".bin";
        expected.push_back({name, RandomBytes(size, static_cast<unsigned>(size))});
        WriteFile(dir / ("in" + std::to_string(size)), expected.back().contents);
        args.push_back(name + "=" + (dir / ("in" + std::to_string(size))).string());
    }
    const PackRun run = Pack(args);
    ASSERT_EQ(run.code, 0) << run.err;
    const Bytes first = ReadFile(dir / "payload.bin");
    const std::vector<Member> got = UnpackResource(first, dir);
    ASSERT_EQ(got.size(), expected.size());
    for (std::size_t i = 0; i < got.size(); ++i) {
        SCOPED_TRACE(expected[i].name);
        EXPECT_EQ(got[i].name, expected[i].name);
        EXPECT_EQ(got[i].contents, expected[i].contents);
    }
    // Nothing follows the last member.
    payload::EntryCursor cursor = payload::ResourceEntries(first.data(), first.size());
    payload::EntryView entry, last;
    while (cursor.Next(&entry)) last = entry;
    EXPECT_EQ(last.data + last.compressedLength, first.data() + first.size());
    EXPECT_FALSE(fs::exists(dir / "payload.bin.partial"));

    ASSERT_EQ(Pack(args).code, 0);
    EXPECT_EQ(ReadFile(dir / "payload.bin"), first);
}

TEST(PackerCli, AppendedFormRoundTripsThroughTheFileEngine) {
    TempDir dir;
    const Bytes exe = RandomBytes(3000, 7);
    WriteFile(dir / "stub.exe", exe);
    struct Case { const char* header; std::string expectedHeader; };
    const Case cases[] = {{nullptr, std::string(payload::kDefaultAppendedHeader)},
                          {"", ""},
                          {"H", "H"},
                          {"12345678901234567890123456789012345678901234567890", // 50 bytes
                           "12345678901234567890123456789012345678901234567890"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.header ? c.header : "(default)");
        std::vector<std::string> args = {"--out", (dir / "setup.exe").string(), "--appended-to",
                                         (dir / "stub.exe").string()};
        if (c.header) {
            args.push_back("--header");
            args.push_back(c.header);
        }
        std::vector<Member> expected;
        for (std::size_t size : kRoundTripSizes) {
            const std::string name = "sub\\m" + std::to_string(size);
            expected.push_back({name, RandomBytes(size, static_cast<unsigned>(size) + 1)});
            WriteFile(dir / ("in" + std::to_string(size)), expected.back().contents);
            args.push_back(name + "=" + (dir / ("in" + std::to_string(size))).string());
        }
        const PackRun run = Pack(args);
        ASSERT_EQ(run.code, 0) << run.err;

        const Bytes image = ReadFile(dir / "setup.exe");
        ASSERT_GT(image.size(), exe.size());
        EXPECT_TRUE(std::equal(exe.begin(), exe.end(), image.begin()));
        payload::AppendedLayout layout;
        ASSERT_EQ(payload::ParseAppendedLayout(image.data(), image.size(), &layout), payload::AppendedStatus::kOk);
        EXPECT_EQ(layout.containerOffset, exe.size());
        EXPECT_EQ(layout.count, expected.size());
        EXPECT_EQ(std::string(image.begin() + exe.size() + 4, image.begin() + static_cast<long>(layout.firstEntry)),
                  c.expectedHeader);

        tools::StdioFileSystem stdio;
        auto file = stdio.OpenForRead(tools::StdioFileSystem::FromNative(dir / "setup.exe"));
        ASSERT_TRUE(file);
        payload::AppendedLayout fromFile;
        ASSERT_EQ(payload::ReadAppendedLayout(*file, &fromFile), payload::AppendedStatus::kOk);
        EXPECT_EQ(fromFile.firstEntry, layout.firstEntry);
        std::uint64_t offset = fromFile.firstEntry;
        std::int32_t counter = 0;
        for (const auto& member : expected) {
            SCOPED_TRACE(member.name);
            payload::AppendedEntry entry;
            ASSERT_EQ(payload::ReadAppendedEntry(*file, fromFile, offset, &entry), payload::AppendedStatus::kOk);
            EXPECT_EQ(entry.name, member.name);
            const fs::path out = dir / "extracted";
            EXPECT_EQ(payload::ExtractFromImageFile(*file, static_cast<std::int32_t>(entry.compressedLength),
                                                    tools::StdioFileSystem::FromNative(out), &counter,
                                                    static_cast<std::int32_t>(fromFile.ProgressTotal()), stdio, {}),
                      0);
            EXPECT_EQ(ReadFile(out), member.contents);
            offset = entry.next;
        }
        EXPECT_EQ(offset, image.size() - payload::kTrailerSize);
    }
}

TEST(PackerCli, ListFileKeepsListOrderAndResolvesPathsFromItsFolder) {
    TempDir dir;
    WriteText(dir / "files/b.txt", "bee");
    WriteText(dir / "files/a.txt", "ay");
    WriteText(dir / "lists/pack.lst",
              "# comment line\r\n"
              "\r\n"
              "Zeta.txt\t../files/b.txt\r\n"
              "   \n"
              "Alpha.txt\t../files/a.txt\n"
              "Sub\\Alpha.txt\t" + (dir / "files/a.txt").string());  // absolute, no final newline
    const PackRun run = Pack({"--out", (dir / "p.bin").string(), "--list", (dir / "lists/pack.lst").string()});
    ASSERT_EQ(run.code, 0) << run.err;
    const auto got = UnpackResource(ReadFile(dir / "p.bin"), dir);
    ASSERT_EQ(got.size(), 3u);
    EXPECT_EQ(got[0].name, "Zeta.txt");
    EXPECT_EQ(std::string(got[0].contents.begin(), got[0].contents.end()), "bee");
    EXPECT_EQ(got[1].name, "Alpha.txt");
    EXPECT_EQ(got[2].name, "Sub\\Alpha.txt");
    EXPECT_EQ(std::string(got[2].contents.begin(), got[2].contents.end()), "ay");
}

TEST(PackerCli, DirectoryTakesEveryFileRecursivelyInByteOrderOfNames) {
    TempDir dir;
    WriteText(dir / "in/b.txt", "1");
    WriteText(dir / "in/B.txt", "2");
    WriteText(dir / "in/a/z.txt", "3");
    WriteText(dir / "in/a/b/c.txt", "4");
    WriteText(dir / "in/a.txt", "5");
    fs::create_directories(dir / "in/empty");
    const PackRun run = Pack({"--out", (dir / "p.bin").string(), "--dir", (dir / "in").string()});
    // "B.txt" and "b.txt" differ only in case: one container cannot hold both.
    EXPECT_EQ(run.code, packer::kExitFailed);
    EXPECT_NE(run.err.find("B.txt"), std::string::npos) << run.err;
    EXPECT_FALSE(fs::exists(dir / "p.bin"));

    fs::remove(dir / "in/B.txt");
    ASSERT_EQ(Pack({"--out", (dir / "p.bin").string(), "--dir", (dir / "in").string()}).code, 0);
    std::vector<std::string> names;
    for (const auto& m : UnpackResource(ReadFile(dir / "p.bin"), dir)) names.push_back(m.name);
    EXPECT_EQ(names, (std::vector<std::string>{"a.txt", "a\\b\\c.txt", "a\\z.txt", "b.txt"}));
}

TEST(PackerCli, NameLengthLimitIs255Bytes) {
    TempDir dir;
    WriteText(dir / "f", "x");
    for (std::size_t length : {254u, 255u, 256u}) {
        SCOPED_TRACE(length);
        const std::string name(length, 'n');
        const PackRun run = Pack({"--out", (dir / "p.bin").string(), name + "=" + (dir / "f").string()});
        if (length <= 255) {
            EXPECT_EQ(run.code, 0) << run.err;
            const auto got = UnpackResource(ReadFile(dir / "p.bin"), dir);
            ASSERT_EQ(got.size(), 1u);
            EXPECT_EQ(got[0].name, name);
        } else {
            EXPECT_EQ(run.code, packer::kExitFailed);
            EXPECT_NE(run.err.find("255"), std::string::npos) << run.err;
        }
        fs::remove(dir / "p.bin");
    }
}

TEST(PackerCli, ErrorsNameTheCulpritAndLeaveNoOutput) {
    TempDir dir;
    WriteText(dir / "good.txt", "good");
    WriteText(dir / "only_comments.lst", "# nothing\n\n");
    WriteText(dir / "no_tab.lst", "a.txt\tgood.txt\nb.txt good.txt\n");
    WriteText(dir / "missing.lst", "a.txt\tgood.txt\nb.txt\tnot_there.txt\n");
    fs::create_directories(dir / "empty_dir");
    fs::create_directories(dir / "a_folder");
    const std::string out = (dir / "p.bin").string();
    const std::string good = "ok.txt=" + (dir / "good.txt").string();
    struct Case {
        const char* what;
        std::vector<std::string> args;
        std::string mentions;
    };
    const Case cases[] = {
        {"missing file", {"--out", out, good, "x.txt=" + (dir / "absent.txt").string()}, "absent.txt"},
        {"folder as file", {"--out", out, "x.txt=" + (dir / "a_folder").string()}, "a_folder"},
        {"name over 255", {"--out", out, std::string(256, 'a') + "=" + (dir / "good.txt").string()}, "255"},
        {"parent part", {"--out", out, "..\\x.txt=" + (dir / "good.txt").string()}, "..\\x.txt"},
        {"drive name", {"--out", out, "C:x.txt=" + (dir / "good.txt").string()}, "C:x.txt"},
        {"device name", {"--out", out, "sub\\NUL.txt=" + (dir / "good.txt").string()}, "NUL.txt"},
        {"empty name", {"--out", out, "=" + (dir / "good.txt").string()}, "''"},
        {"duplicate", {"--out", out, good, "OK.TXT=" + (dir / "good.txt").string()}, "OK.TXT"},
        {"empty list", {"--out", out, "--list", (dir / "only_comments.lst").string()}, "empty"},
        {"missing list", {"--out", out, "--list", (dir / "nope.lst").string()}, "nope.lst"},
        {"line without tab", {"--out", out, "--list", (dir / "no_tab.lst").string()}, "no_tab.lst:2"},
        {"list names missing file", {"--out", out, "--list", (dir / "missing.lst").string()}, "not_there.txt"},
        {"empty folder", {"--out", out, "--dir", (dir / "empty_dir").string()}, "empty"},
        {"missing folder", {"--out", out, "--dir", (dir / "no_dir").string()}, "no_dir"},
        {"no members", {"--out", out}, "empty"},
        {"missing image", {"--out", out, "--appended-to", (dir / "stub.exe").string(), good}, "stub.exe"},
        {"header over 50", {"--out", out, "--appended-to", (dir / "good.txt").string(), "--header",
                            std::string(51, 'h'), good}, "50"},
        {"output folder missing", {"--out", (dir / "no_dir/p.bin").string(), good}, "p.bin"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const PackRun run = Pack(c.args);
        EXPECT_EQ(run.code, packer::kExitFailed);
        EXPECT_NE(run.err.find(c.mentions), std::string::npos) << run.err;
        EXPECT_EQ(run.err.rfind("packer: ", 0), 0u) << run.err;
        EXPECT_FALSE(fs::exists(dir / "p.bin"));
        EXPECT_FALSE(fs::exists(dir / "p.bin.partial"));
    }
}

TEST(PackerCli, FailedRunLeavesAnExistingOutputUnchanged) {
    TempDir dir;
    WriteText(dir / "p.bin", "previous");
    const PackRun run = Pack({"--out", (dir / "p.bin").string(), "x=" + (dir / "absent").string()});
    EXPECT_EQ(run.code, packer::kExitFailed);
    const Bytes kept = ReadFile(dir / "p.bin");
    EXPECT_EQ(std::string(kept.begin(), kept.end()), "previous");
}

TEST(PackerCli, BadCommandLinesAreUsageErrors) {
    TempDir dir;
    WriteText(dir / "f", "x");
    const std::string member = "m=" + (dir / "f").string();
    const std::string out = (dir / "p.bin").string();
    const std::vector<std::vector<std::string>> cases = {
        {member},                                               // no --out
        {"--out"},                                              // value missing
        {"--out", out, "--bogus", member},                      // unknown option
        {"--out", out, "--header", "x", member},                // header without image
        {"--out", out, "--dir", dir.path().string(), member},   // two kinds of member list
        {"--out", out, "plainword"},                            // neither option nor NAME=PATH
        {"--list-members"},
        {"--list-members", out, "extra"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.back());
        const PackRun run = Pack(args);
        EXPECT_EQ(run.code, packer::kExitUsage);
        EXPECT_NE(run.err.find("usage:"), std::string::npos);
        EXPECT_FALSE(fs::exists(dir / "p.bin"));
    }
}

TEST(PackerCli, ListMembersPrintsNameCompressedAndInflatedSizes) {
    TempDir dir;
    WriteFile(dir / "zeros", Bytes(20000, 0));
    WriteFile(dir / "empty", Bytes());
    ASSERT_EQ(Pack({"--out", (dir / "p.bin").string(), "Zeros.bin=" + (dir / "zeros").string(),
                    "Empty.txt=" + (dir / "empty").string()})
                  .code,
              0);
    const Bytes container = ReadFile(dir / "p.bin");
    std::vector<std::uint32_t> lengths;
    payload::EntryCursor cursor = payload::ResourceEntries(container.data(), container.size());
    payload::EntryView entry;
    while (cursor.Next(&entry)) lengths.push_back(entry.declaredLength);
    ASSERT_EQ(lengths.size(), 2u);

    PackRun run = Pack({"--list-members", (dir / "p.bin").string()});
    EXPECT_EQ(run.code, 0) << run.err;
    EXPECT_EQ(run.out, "Zeros.bin\t" + std::to_string(lengths[0]) + "\t20000\nEmpty.txt\t" +
                           std::to_string(lengths[1]) + "\t0\n");

    // Cut one byte off the end: the last stream is short, the listing says so.
    WriteFile(dir / "cut.bin", Bytes(container.begin(), container.end() - 1));
    run = Pack({"--list-members", (dir / "cut.bin").string()});
    EXPECT_EQ(run.code, packer::kExitFailed);
    EXPECT_NE(run.out.find("Empty.txt\t" + std::to_string(lengths[1]) + "\tdamaged"), std::string::npos) << run.out;
    EXPECT_NE(run.err.find("cut.bin"), std::string::npos);

    // One changed byte inside the first stream.
    Bytes changed = container;
    changed[4 + 8 + 9 + 5] ^= 0xFF;
    WriteFile(dir / "changed.bin", changed);
    run = Pack({"--list-members", (dir / "changed.bin").string()});
    EXPECT_EQ(run.code, packer::kExitFailed);
    EXPECT_NE(run.out.find("Zeros.bin\t" + std::to_string(lengths[0]) + "\tdamaged"), std::string::npos) << run.out;

    run = Pack({"--list-members", (dir / "absent.bin").string()});
    EXPECT_EQ(run.code, packer::kExitFailed);
    EXPECT_NE(run.err.find("absent.bin"), std::string::npos);
}

}  // namespace
