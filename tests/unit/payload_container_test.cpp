#include <gtest/gtest.h>

#include <cstring>
#include <memory>

#include "fakes/fake_fs.h"
#include "payload/container.h"
#include "payload_test_support.h"

namespace {

using namespace payload_test;

struct Seen {
    std::size_t offset;
    std::string name;
    std::size_t dataOffset;
    std::uint32_t declared;
    std::size_t length;
};

// Walks a copy of `bytes` that is exactly as large as they are, so that the
// sanitizers catch any read past the end.
std::vector<Seen> Walk(const Bytes& bytes) {
    std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[bytes.size() ? bytes.size() : 1]);
    if (!bytes.empty()) std::memcpy(exact.get(), bytes.data(), bytes.size());
    std::vector<Seen> seen;
    payload::EntryCursor cursor = payload::ResourceEntries(exact.get(), bytes.size());
    payload::EntryView e;
    while (cursor.Next(&e))
        seen.push_back({e.offset, std::string(e.name), static_cast<std::size_t>(e.data - exact.get()),
                        e.declaredLength, e.compressedLength});
    return seen;
}

const std::vector<RawEntry> kThree = {
    {"first.txt", ToBytes("0123456789")},
    {"sub\\second.bin", ToBytes("abc")},
    {"third", ToBytes("XYZXYZXYZXYZ")},
};

TEST(ResourceForm, GoodContainerGivesEveryEntryWithItsOffsets) {
    const Bytes c = ResourceForm(kThree);
    const auto seen = Walk(c);
    ASSERT_EQ(seen.size(), 3u);
    std::size_t offset = 4;
    for (std::size_t i = 0; i < 3; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(seen[i].offset, offset);
        EXPECT_EQ(seen[i].name, kThree[i].name);
        EXPECT_EQ(seen[i].dataOffset, offset + 8 + kThree[i].name.size());
        EXPECT_EQ(seen[i].declared, kThree[i].data.size());
        EXPECT_EQ(seen[i].length, kThree[i].data.size());
        EXPECT_EQ(Bytes(c.begin() + static_cast<long>(seen[i].dataOffset),
                        c.begin() + static_cast<long>(seen[i].dataOffset + seen[i].length)),
                  kThree[i].data);
        offset = seen[i].dataOffset + seen[i].length;
    }
    EXPECT_EQ(offset, c.size());
    EXPECT_EQ(payload::DeclaredMemberCount(c.data(), c.size()), 3u);
}

TEST(ResourceForm, EmptyAndShortBuffersHoldNoMembers) {
    Bytes zeroCount = ResourceForm(kThree, 0);  // entries follow, but M says none
    EXPECT_TRUE(Walk(zeroCount).empty());
    for (std::size_t size = 0; size < 4; ++size) {
        SCOPED_TRACE(size);
        EXPECT_TRUE(Walk(Bytes(size, 0xFF)).empty());
        EXPECT_EQ(payload::DeclaredMemberCount(Bytes(size, 0xFF).data(), size), 0u);
    }
    payload::EntryCursor none = payload::ResourceEntries(nullptr, 100);
    payload::EntryView e;
    EXPECT_FALSE(none.Next(&e));
}

TEST(ResourceForm, CountBeyondTheEntriesStopsAtTheEndAndFewerIgnoresTheRest) {
    EXPECT_EQ(Walk(ResourceForm(kThree, 1000)).size(), 3u);
    EXPECT_EQ(Walk(ResourceForm(kThree, 0xFFFFFFFF)).size(), 3u);
    const auto two = Walk(ResourceForm(kThree, 2));
    ASSERT_EQ(two.size(), 2u);
    EXPECT_EQ(two[1].name, "sub\\second.bin");
}

// Cutting the container at every length: every entry that still fits is
// intact, an entry cut inside its header or name is absent, an entry cut
// inside its data is there with the bytes that remain, and nothing after
// the cut is ever reported.
TEST(ResourceForm, TruncationAtEveryByteKeepsEarlierEntries) {
    const Bytes c = ResourceForm(kThree);
    const auto whole = Walk(c);
    for (std::size_t cut = 0; cut < c.size(); ++cut) {
        SCOPED_TRACE(cut);
        const auto seen = Walk(Bytes(c.begin(), c.begin() + static_cast<long>(cut)));
        std::size_t expected = 0;
        for (const auto& w : whole)
            if (w.dataOffset <= cut) ++expected;
        ASSERT_EQ(seen.size(), expected);
        for (std::size_t i = 0; i < seen.size(); ++i) {
            EXPECT_EQ(seen[i].name, whole[i].name);
            EXPECT_EQ(seen[i].declared, whole[i].declared);
            const std::size_t room = cut - whole[i].dataOffset;
            EXPECT_EQ(seen[i].length, std::min(whole[i].length, room));
            EXPECT_LE(seen[i].dataOffset + seen[i].length, cut);
        }
    }
}

TEST(ResourceForm, OversizedDeclaredLengthsAreNeverFollowed) {
    struct Case {
        const char* what;
        std::size_t entry;  // the entry whose field is changed
        bool changeName;    // N, else C
        std::uint32_t value;
        std::size_t expectedEntries;
        std::size_t expectedLastLength;
    };
    const Bytes c = ResourceForm(kThree);
    const auto whole = Walk(c);
    const Case cases[] = {
        {"N of the second entry huge", 1, true, 0xFFFFFFFF, 1, 10},
        {"N of the second entry one past the end", 1, true,
         static_cast<std::uint32_t>(c.size() - whole[1].offset - 8 + 1), 1, 10},
        {"N of the last entry exactly to the end", 2, true, static_cast<std::uint32_t>(c.size() - whole[2].offset - 8),
         3, 0},
        {"C of the first entry huge", 0, false, 0xFFFFFFFF, 1, c.size() - whole[0].dataOffset},
        {"C of the first entry 0x80000000", 0, false, 0x80000000u, 1, c.size() - whole[0].dataOffset},
        {"C of the last entry one past the end", 2, false, 13, 3, 12},
    };
    for (const auto& k : cases) {
        SCOPED_TRACE(k.what);
        Bytes damaged = c;
        const std::size_t field = whole[k.entry].offset + (k.changeName ? 0 : 4);
        for (int i = 0; i < 4; ++i) damaged[field + i] = static_cast<std::uint8_t>(k.value >> (8 * i));
        const auto seen = Walk(damaged);
        ASSERT_EQ(seen.size(), k.expectedEntries);
        EXPECT_EQ(seen.back().length, k.expectedLastLength);
        EXPECT_LE(seen.back().dataOffset + seen.back().length, damaged.size());
        for (std::size_t i = 0; i + 1 < seen.size(); ++i) EXPECT_EQ(seen[i].name, whole[i].name);
    }
}

TEST(LocateEntry, LimitsAtMinusOneExactAndPlusOne) {
    struct Case { std::uint64_t limit; bool fits; std::uint64_t length; };
    // Entry at 10 with N = 5, C = 20: header ends at 18, name at 23, data at 43.
    const Case cases[] = {
        {17, false, 0}, {18, false, 0}, {22, false, 0},  // header or name cut
        {23, true, 0}, {24, true, 1}, {42, true, 19}, {43, true, 20}, {44, true, 20},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        payload::EntryBounds b;
        b.compressedLength = 0xDEAD;  // poison
        ASSERT_EQ(payload::LocateEntry(10, 5, 20, c.limit, &b), c.fits);
        if (!c.fits) {
            EXPECT_EQ(b.compressedLength, 0xDEADu);
            continue;
        }
        EXPECT_EQ(b.nameOffset, 18u);
        EXPECT_EQ(b.dataOffset, 23u);
        EXPECT_EQ(b.compressedLength, c.length);
        EXPECT_EQ(b.next, 43u);
    }
    payload::EntryBounds b;
    EXPECT_FALSE(payload::LocateEntry(50, 0, 0, 40, &b));  // offset past the limit
    EXPECT_TRUE(payload::LocateEntry(0, 0xFFFFFFFF, 0xFFFFFFFF, UINT64_MAX - 1, &b));
    EXPECT_EQ(b.next, 8ull + 0xFFFFFFFFull * 2);
}

// An executable image with an appended container.
Bytes AppendedImage(const Bytes& exe, const std::string& header, const std::vector<RawEntry>& entries,
                    std::int64_t count = -1, std::int64_t headerLength = -1, std::int64_t offset = -1) {
    Bytes out = exe;
    PutU32(&out, static_cast<std::uint32_t>(headerLength >= 0 ? headerLength : static_cast<std::int64_t>(header.size())));
    out.insert(out.end(), header.begin(), header.end());
    for (const auto& e : entries) AppendEntry(&out, e);
    PutU32(&out, static_cast<std::uint32_t>(count >= 0 ? count : static_cast<std::int64_t>(entries.size())));
    PutU32(&out, static_cast<std::uint32_t>(offset >= 0 ? offset : static_cast<std::int64_t>(exe.size())));
    return out;
}

void Poison(payload::AppendedLayout* layout) {
    layout->count = 0xAAAA;
    layout->containerOffset = 0xBBBB;
    layout->firstEntry = 0xCCCC;
}

struct AppendedCase {
    const char* what;
    Bytes image;
    payload::AppendedStatus expected;
};

std::vector<AppendedCase> AppendedCases() {
    const Bytes exe = RandomBytes(300, 1);
    const Bytes good = AppendedImage(exe, "HDR", kThree);
    Bytes noForm = exe;
    PutU32(&noForm, 0);
    PutU32(&noForm, 0);
    return {
        {"good", good, payload::AppendedStatus::kOk},
        {"header of 50 bytes", AppendedImage(exe, std::string(50, 'h'), kThree), payload::AppendedStatus::kOk},
        {"empty header", AppendedImage(exe, "", kThree), payload::AppendedStatus::kOk},
        {"M is 0", AppendedImage(exe, "HDR", kThree, 0), payload::AppendedStatus::kAbsent},
        {"trailer of zeros", noForm, payload::AppendedStatus::kAbsent},
        {"file of 7 bytes", Bytes(7, 1), payload::AppendedStatus::kAbsent},
        {"empty file", Bytes(), payload::AppendedStatus::kAbsent},
        {"P past the end", AppendedImage(exe, "HDR", kThree, -1, -1, 100000), payload::AppendedStatus::kDamaged},
        {"P on the trailer", AppendedImage(exe, "HDR", kThree, -1, -1, static_cast<std::int64_t>(good.size() - 8)),
         payload::AppendedStatus::kDamaged},
        {"P three bytes before the trailer",
         AppendedImage(exe, "HDR", kThree, -1, -1, static_cast<std::int64_t>(good.size() - 11)),
         payload::AppendedStatus::kDamaged},
        // The header is skipped whatever its length, as long as it ends
        // before the trailer.
        {"header of 51 bytes", AppendedImage(exe, std::string(51, 'h'), kThree), payload::AppendedStatus::kOk},
        {"header of 64 KiB", AppendedImage(exe, std::string(65536, 'h'), kThree), payload::AppendedStatus::kOk},
        {"header ending exactly at the trailer", AppendedImage(exe, std::string(40, 'h'), {}, 1),
         payload::AppendedStatus::kOk},
        {"header one byte into the trailer", AppendedImage(exe, std::string(40, 'h'), {}, 1, 41),
         payload::AppendedStatus::kDamaged},
        {"H past the end", AppendedImage(exe, "", {}, 1, 40), payload::AppendedStatus::kDamaged},
        {"H huge", AppendedImage(exe, "HDR", kThree, -1, 0xFFFFFFFF), payload::AppendedStatus::kDamaged},
    };
}

TEST(AppendedForm, TrailerAndHeaderAreCheckedAgainstTheFileSize) {
    for (const auto& c : AppendedCases()) {
        SCOPED_TRACE(c.what);
        payload::AppendedLayout fromBuffer;
        Poison(&fromBuffer);
        EXPECT_EQ(payload::ParseAppendedLayout(c.image.data(), c.image.size(), &fromBuffer), c.expected);

        fakes::FakeFileSystem fs;
        fs.AddFile(u"C:\\setup.exe", c.image);
        auto file = fs.OpenForRead(u"C:\\setup.exe");
        payload::AppendedLayout fromFile;
        Poison(&fromFile);
        EXPECT_EQ(payload::ReadAppendedLayout(*file, &fromFile), c.expected);

        EXPECT_EQ(fromFile.count, fromBuffer.count);
        EXPECT_EQ(fromFile.firstEntry, fromBuffer.firstEntry);
        if (c.expected != payload::AppendedStatus::kOk) {
            EXPECT_EQ(fromBuffer.count, 0u);  // the poison was cleared
            EXPECT_EQ(fromFile.firstEntry, 0u);
        }
    }
}

// Counts what is read, so that a test can show that skipped bytes are
// passed by position and never read.
class CountingFile : public os::InputFile {
public:
    explicit CountingFile(std::unique_ptr<os::InputFile> inner) : inner_(std::move(inner)) {}
    bool Read(void* buffer, std::size_t size, std::size_t* got) override {
        const bool ok = inner_->Read(buffer, size, got);
        bytesRead += *got;
        return ok;
    }
    bool Seek(std::uint64_t position) override { return inner_->Seek(position); }
    bool Size(std::uint64_t* size) override { return inner_->Size(size); }
    std::size_t bytesRead = 0;

private:
    std::unique_ptr<os::InputFile> inner_;
};

TEST(AppendedForm, LongHeadersAreSkippedByPositionAndTheEntriesFollow) {
    const Bytes exe = RandomBytes(64, 4);
    for (const std::size_t length : {std::size_t{50}, std::size_t{51}, std::size_t{4096}, std::size_t{1} << 20}) {
        SCOPED_TRACE(length);
        const Bytes image = AppendedImage(exe, std::string(length, 'h'), kThree);
        payload::AppendedLayout layout;
        ASSERT_EQ(payload::ParseAppendedLayout(image.data(), image.size(), &layout), payload::AppendedStatus::kOk);
        EXPECT_EQ(layout.headerLength, length);
        EXPECT_EQ(layout.firstEntry, exe.size() + 4 + length);

        fakes::FakeFileSystem fs;
        fs.AddFile(u"C:\\setup.exe", image);
        CountingFile file(fs.OpenForRead(u"C:\\setup.exe"));
        ASSERT_EQ(payload::ReadAppendedLayout(file, &layout), payload::AppendedStatus::kOk);
        EXPECT_EQ(file.bytesRead, 12u);  // trailer and H, none of the header
        std::uint64_t offset = layout.firstEntry;
        for (const auto& expected : kThree) {
            payload::AppendedEntry entry;
            ASSERT_EQ(payload::ReadAppendedEntry(file, layout, offset, &entry), payload::AppendedStatus::kOk);
            EXPECT_EQ(entry.name, expected.name);
            offset = entry.next;
        }
        EXPECT_EQ(offset, layout.entriesEnd);
        std::size_t names = 0;
        for (const auto& e : kThree) names += 8 + e.name.size();
        EXPECT_EQ(file.bytesRead, 12u + names);  // entry headers and names only
    }
}

TEST(AppendedForm, HeaderFillingTheWholeContainerLeavesNoEntryToRead) {
    // H reaches exactly to the trailer: the layout is sound, but its first
    // entry would start on the trailer and is refused.
    const Bytes image = AppendedImage(Bytes(16, 0), std::string(100, 'h'), {}, 2);
    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\setup.exe", image);
    auto file = fs.OpenForRead(u"C:\\setup.exe");
    payload::AppendedLayout layout;
    ASSERT_EQ(payload::ReadAppendedLayout(*file, &layout), payload::AppendedStatus::kOk);
    EXPECT_EQ(layout.firstEntry, layout.entriesEnd);
    payload::AppendedEntry entry;
    EXPECT_EQ(payload::ReadAppendedEntry(*file, layout, layout.firstEntry, &entry), payload::AppendedStatus::kDamaged);
    payload::EntryView view;
    payload::EntryCursor cursor = payload::AppendedEntries(image.data(), layout);
    EXPECT_FALSE(cursor.Next(&view));
}

TEST(AppendedForm, EntriesFromBufferAndFileAgree) {
    const Bytes exe = RandomBytes(300, 2);
    const Bytes image = AppendedImage(exe, "HDR", kThree);
    payload::AppendedLayout layout;
    ASSERT_EQ(payload::ParseAppendedLayout(image.data(), image.size(), &layout), payload::AppendedStatus::kOk);
    EXPECT_EQ(layout.containerOffset, 300u);
    EXPECT_EQ(layout.headerLength, 3u);
    EXPECT_EQ(layout.firstEntry, 307u);
    EXPECT_EQ(layout.entriesEnd, image.size() - 8);
    EXPECT_EQ(layout.ProgressTotal(), image.size() - 300);

    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\setup.exe", image);
    auto file = fs.OpenForRead(u"C:\\setup.exe");
    payload::EntryCursor cursor = payload::AppendedEntries(image.data(), layout);
    payload::EntryView view;
    std::uint64_t offset = layout.firstEntry;
    for (const auto& expected : kThree) {
        SCOPED_TRACE(expected.name);
        ASSERT_TRUE(cursor.Next(&view));
        payload::AppendedEntry entry;
        ASSERT_EQ(payload::ReadAppendedEntry(*file, layout, offset, &entry), payload::AppendedStatus::kOk);
        EXPECT_EQ(entry.name, expected.name);
        EXPECT_EQ(std::string(view.name), expected.name);
        EXPECT_EQ(entry.offset, view.offset);
        EXPECT_EQ(entry.dataOffset, static_cast<std::uint64_t>(view.data - image.data()));
        EXPECT_EQ(entry.compressedLength, expected.data.size());
        Bytes data(expected.data.size());
        std::size_t got = 0;
        ASSERT_TRUE(file->Read(data.data(), data.size(), &got));  // positioned on the data
        EXPECT_EQ(data, expected.data);
        offset = entry.next;
    }
    EXPECT_FALSE(cursor.Next(&view));
    EXPECT_EQ(offset, layout.entriesEnd);
    payload::AppendedEntry past;
    EXPECT_EQ(payload::ReadAppendedEntry(*file, layout, offset, &past), payload::AppendedStatus::kDamaged);
}

TEST(AppendedForm, EntryDataIsCutAtTheTrailerAndBadEntriesAreReported) {
    const Bytes exe(16, 0);
    // C of the last entry reaches 5 bytes into the trailer.
    std::vector<RawEntry> entries = kThree;
    entries[2].c = static_cast<std::int64_t>(entries[2].data.size()) + 5;
    const Bytes image = AppendedImage(exe, "", entries);
    payload::AppendedLayout layout;
    ASSERT_EQ(payload::ParseAppendedLayout(image.data(), image.size(), &layout), payload::AppendedStatus::kOk);
    payload::EntryCursor cursor = payload::AppendedEntries(image.data(), layout);
    payload::EntryView view;
    for (int i = 0; i < 3; ++i) ASSERT_TRUE(cursor.Next(&view));
    EXPECT_EQ(view.compressedLength, entries[2].data.size());
    EXPECT_TRUE(view.Truncated());

    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\setup.exe", image);
    auto file = fs.OpenForRead(u"C:\\setup.exe");
    payload::AppendedEntry entry;
    ASSERT_EQ(payload::ReadAppendedEntry(*file, layout, view.offset, &entry), payload::AppendedStatus::kOk);
    EXPECT_EQ(entry.compressedLength, entries[2].data.size());
    EXPECT_EQ(entry.declaredLength, entries[2].data.size() + 5);

    // A name running into the trailer.
    std::vector<RawEntry> longName = kThree;
    longName[0].n = 1000;
    const Bytes bad = AppendedImage(exe, "", longName);
    fs.AddFile(u"C:\\bad.exe", bad);
    auto badFile = fs.OpenForRead(u"C:\\bad.exe");
    ASSERT_EQ(payload::ReadAppendedLayout(*badFile, &layout), payload::AppendedStatus::kOk);
    EXPECT_EQ(payload::ReadAppendedEntry(*badFile, layout, layout.firstEntry, &entry), payload::AppendedStatus::kDamaged);
}

TEST(AppendedForm, OverlongNameIsKeptRecognisablyTooLongAndTheDataStillFollows) {
    const std::string name(300, 'n');
    const Bytes image = AppendedImage(Bytes(8, 0), "", {{name, ToBytes("DATA")}, {"next", ToBytes("NEXT")}});
    fakes::FakeFileSystem fs;
    fs.AddFile(u"C:\\setup.exe", image);
    auto file = fs.OpenForRead(u"C:\\setup.exe");
    payload::AppendedLayout layout;
    ASSERT_EQ(payload::ReadAppendedLayout(*file, &layout), payload::AppendedStatus::kOk);
    payload::AppendedEntry entry;
    ASSERT_EQ(payload::ReadAppendedEntry(*file, layout, layout.firstEntry, &entry), payload::AppendedStatus::kOk);
    EXPECT_EQ(entry.name, std::string(256, 'n'));
    char data[4];
    std::size_t got = 0;
    ASSERT_TRUE(file->Read(data, 4, &got));
    EXPECT_EQ(std::string(data, got), "DATA");
    ASSERT_EQ(payload::ReadAppendedEntry(*file, layout, entry.next, &entry), payload::AppendedStatus::kOk);
    EXPECT_EQ(entry.name, "next");
}

TEST(AppendedForm, ReadFailuresAreReportedAsSuch) {
    const Bytes image = AppendedImage(RandomBytes(100, 3), "HDR", kThree);
    struct Case { std::size_t failAfter; bool layoutFails; };
    // 8 trailer bytes, then 4 bytes of H, then the first entry's 8 + 9 bytes.
    const Case cases[] = {{0, true}, {7, true}, {8, true}, {11, true}, {12, false}, {19, false}, {28, false}, {29, false}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failAfter);
        fakes::FakeFileSystem fs;
        fs.AddFile(u"C:\\setup.exe", image);
        fs.FailReadAfter(u"C:\\setup.exe", c.failAfter);
        auto file = fs.OpenForRead(u"C:\\setup.exe");
        payload::AppendedLayout layout;
        const auto status = payload::ReadAppendedLayout(*file, &layout);
        if (c.layoutFails) {
            EXPECT_EQ(status, payload::AppendedStatus::kReadFailed);
            continue;
        }
        ASSERT_EQ(status, payload::AppendedStatus::kOk);
        payload::AppendedEntry entry;
        EXPECT_EQ(payload::ReadAppendedEntry(*file, layout, layout.firstEntry, &entry),
                  c.failAfter < 12 + 8 + 9 ? payload::AppendedStatus::kReadFailed : payload::AppendedStatus::kOk);
    }
}

}  // namespace
