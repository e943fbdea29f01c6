#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>

#include "fakes/fake_fs.h"
#include "payload/extract.h"
#include "payload_test_support.h"

namespace {

using namespace payload_test;

const core::u16 kOut = u"C:\\out\\member.bin";
const core::u16 kImage = u"C:\\setup.exe";

enum class Engine { kMemory, kFile };

std::string EngineName(const ::testing::TestParamInfo<Engine>& info) {
    return info.param == Engine::kMemory ? "Memory" : "File";
}

// Runs one engine on `stream` with C = `length`. The file engine reads the
// stream from an image in which it starts at offset 100 and is followed by
// `after`; `setup` may inject failures before the image is opened.
struct Harness {
    fakes::FakeFileSystem fs;
    std::vector<int> positions;
    std::int32_t counter = 0;
    std::int32_t total = 1000;
    std::uint64_t positionAfter = 0;  // file engine: where the image was left

    Harness() { fs.AddDirectory(u"C:\\out"); }

    int Run(Engine engine, const Bytes& stream, std::int64_t length, const Bytes& after = {},
            const payload::InflateAllocator& allocator = payload::InflateAllocator()) {
        const auto c = static_cast<std::int32_t>(length);
        const payload::ProgressSink sink = [this](int position) { positions.push_back(position); };
        if (engine == Engine::kMemory) {
            // An exact-size copy so that the sanitizers see any over-read.
            std::unique_ptr<std::uint8_t[]> exact(new std::uint8_t[stream.size() + after.size() + 1]);
            std::copy(stream.begin(), stream.end(), exact.get());
            std::copy(after.begin(), after.end(), exact.get() + stream.size());
            return payload::ExtractFromMemory(exact.get(), c, kOut, &counter, total, fs, sink, allocator);
        }
        Bytes image = RandomBytes(100, 99);
        image.insert(image.end(), stream.begin(), stream.end());
        image.insert(image.end(), after.begin(), after.end());
        if (!fs.HasFile(kImage)) fs.AddFile(kImage, image);
        auto file = fs.OpenForRead(kImage);
        file->Seek(100);
        const int result = payload::ExtractFromImageFile(*file, c, kOut, &counter, total, fs, sink, allocator);
        return result;
    }
    Bytes Output() const { return fs.Contents(kOut); }
};

class ExtractEngine : public ::testing::TestWithParam<Engine> {};

INSTANTIATE_TEST_SUITE_P(Both, ExtractEngine, ::testing::Values(Engine::kMemory, Engine::kFile), EngineName);

TEST_P(ExtractEngine, WritesMembersOfEverySizeAndAddsToTheCounter) {
    struct Case { const char* what; Bytes contents; };
    const Case cases[] = {
        {"empty", {}},
        {"1 byte", RandomBytes(1, 1)},
        {"16383 random", RandomBytes(16383, 2)},
        {"16384 random", RandomBytes(16384, 3)},
        {"16385 random", RandomBytes(16385, 4)},
        {"100000 random", RandomBytes(100000, 5)},
        {"300000 zeros (many output rounds per input chunk)", Bytes(300000, 0)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        h.counter = 7;  // the engine adds to what the caller has
        h.total = 50000;
        const Bytes stream = Compress(c.contents);
        EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), 0);
        EXPECT_EQ(h.Output(), c.contents);
        EXPECT_EQ(h.counter, 7 + static_cast<std::int32_t>(c.contents.size()));
        ASSERT_FALSE(h.positions.empty());
        EXPECT_EQ(h.positions.back(), payload::ProgressPosition(h.counter, h.total));
        EXPECT_TRUE(std::is_sorted(h.positions.begin(), h.positions.end()));
        // At least one report per 16 KiB written.
        EXPECT_GE(h.positions.size(), c.contents.size() / payload::kExtractBufferSize);
    }
}

TEST_P(ExtractEngine, ReplacesAnExistingFile) {
    Harness h;
    h.fs.AddFile(kOut, RandomBytes(50000, 6));
    const Bytes contents = ToBytes("new contents");
    const Bytes stream = Compress(contents);
    EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), 0);
    EXPECT_EQ(h.Output(), contents);
}

TEST_P(ExtractEngine, ZeroOrNegativeLengthGivesAnEmptyFileAndMinus3) {
    for (std::int64_t length : {0LL, -1LL, static_cast<long long>(INT32_MIN)}) {
        SCOPED_TRACE(length);
        Harness h;
        h.counter = 5;
        EXPECT_EQ(h.Run(GetParam(), Compress(ToBytes("data")), length), -3);
        EXPECT_TRUE(h.fs.HasFile(kOut));
        EXPECT_TRUE(h.Output().empty());
        EXPECT_EQ(h.counter, 5);
        EXPECT_TRUE(h.positions.empty());
    }
}

TEST_P(ExtractEngine, DamagedStreamsGiveMinus3AndKeepWhatWasWritten) {
    const Bytes contents = TextBytes(600000, 7);
    const Bytes stream = Compress(contents);
    ASSERT_GT(stream.size(), 3 * payload::kExtractBufferSize);
    Bytes badHeader = stream;
    badHeader[0] = 0x77;
    Bytes badMiddle = stream;
    badMiddle[stream.size() / 2] ^= 0x55;
    Bytes badChecksum = stream;
    badChecksum.back() ^= 0x01;
    // The round in which zlib reports the error writes nothing; every
    // round before it stays in the file.
    struct Case { const char* what; Bytes stream; std::size_t atLeast; std::size_t atMost; };
    const Case cases[] = {
        {"bad header", badHeader, 0, 0},
        {"one changed byte in the middle", badMiddle, payload::kExtractBufferSize, contents.size() - 1},
        {"changed Adler-32", badChecksum, contents.size() - payload::kExtractBufferSize, contents.size()},
        {"preset dictionary", CompressWithDictionary(contents, "dictionary"), 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Harness h;
        EXPECT_EQ(h.Run(GetParam(), c.stream, static_cast<std::int64_t>(c.stream.size())), -3);
        ASSERT_TRUE(h.fs.HasFile(kOut));
        const Bytes out = h.Output();
        EXPECT_GE(out.size(), c.atLeast);
        EXPECT_LE(out.size(), c.atMost);
        const std::size_t checked = std::min(out.size(), c.atLeast);
        EXPECT_TRUE(std::equal(out.begin(), out.begin() + static_cast<long>(checked), contents.begin()));
        EXPECT_EQ(h.counter, static_cast<std::int32_t>(out.size()));
    }
}

TEST_P(ExtractEngine, LengthShorterThanTheStreamGivesZeroAndAShorterFile) {
    const Bytes contents = RandomBytes(100000, 8);
    const Bytes stream = Compress(contents);
    // The last 4 bytes are the Adler-32; 5 short cuts one byte of data.
    for (std::size_t kept : {std::size_t{1}, std::size_t{2}, std::size_t{16384}, std::size_t{16385},
                             stream.size() / 2, stream.size() - 5}) {
        SCOPED_TRACE(kept);
        Harness h;
        EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(kept)), 0);
        const Bytes out = h.Output();
        EXPECT_LT(out.size(), contents.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), contents.begin()));
    }
}

TEST_P(ExtractEngine, StreamEndingBeforeTheLengthIsCompleteAndIgnoresTheRest) {
    const Bytes contents = RandomBytes(5000, 9);
    const Bytes stream = Compress(contents);
    for (std::size_t extra : {std::size_t{1}, std::size_t{20000}, std::size_t{40000}}) {
        SCOPED_TRACE(extra);
        Harness h;
        EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size() + extra), RandomBytes(extra, 10)),
                  0);
        EXPECT_EQ(h.Output(), contents);
    }
}

TEST_P(ExtractEngine, OutputThatCannotBeCreatedGivesMinus1AndNoFile) {
    const Bytes stream = Compress(ToBytes("data"));
    {
        Harness h;
        const core::u16 missing = u"C:\\no such folder\\member.bin";
        const payload::ProgressSink none;
        int result;
        if (GetParam() == Engine::kMemory) {
            result = payload::ExtractFromMemory(stream.data(), static_cast<std::int32_t>(stream.size()), missing,
                                                &h.counter, 100, h.fs, none);
        } else {
            h.fs.AddFile(kImage, stream);
            auto file = h.fs.OpenForRead(kImage);
            result = payload::ExtractFromImageFile(*file, static_cast<std::int32_t>(stream.size()), missing,
                                                   &h.counter, 100, h.fs, none);
        }
        EXPECT_EQ(result, -1);
        EXPECT_FALSE(h.fs.HasFile(missing));
        EXPECT_EQ(h.fs.createCount, 0);
    }
    {
        Harness h;
        h.fs.FailCreate(kOut);
        EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), -1);
        EXPECT_FALSE(h.fs.HasFile(kOut));
        EXPECT_EQ(h.counter, 0);
    }
}

TEST_P(ExtractEngine, WriteFailureGivesMinus1AndStopsCounting) {
    // Compressible, so that every output round but the last fills 16 KiB.
    const Bytes contents = TextBytes(100000, 11);
    const Bytes stream = Compress(contents);
    for (std::size_t limit : {std::size_t{0}, std::size_t{16383}, std::size_t{16384}, std::size_t{20000}}) {
        SCOPED_TRACE(limit);
        Harness h;
        h.fs.FailWriteAfter(kOut, limit);
        EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), -1);
        const Bytes out = h.Output();
        EXPECT_EQ(out.size(), limit);
        EXPECT_TRUE(std::equal(out.begin(), out.end(), contents.begin()));
        // Only whole writes count: the failed one adds nothing.
        EXPECT_EQ(h.counter, static_cast<std::int32_t>(limit / payload::kExtractBufferSize * payload::kExtractBufferSize));
    }
}

TEST(ExtractFromImageFile, ReadFailureGivesMinus1AndEndOfFileGivesMinus3) {
    const Bytes contents = RandomBytes(100000, 12);
    const Bytes stream = Compress(contents);
    {
        Harness h;
        h.fs.AddFile(kImage, stream);
        h.fs.FailReadAfter(kImage, 16384);  // the second chunk's read fails
        auto file = h.fs.OpenForRead(kImage);
        EXPECT_EQ(payload::ExtractFromImageFile(*file, static_cast<std::int32_t>(stream.size()), kOut, &h.counter,
                                                100, h.fs, {}),
                  -1);
        const Bytes out = h.Output();
        EXPECT_GT(out.size(), 0u);
        EXPECT_LT(out.size(), contents.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), contents.begin()));
    }
    {
        // The file ends before C bytes were read: a read gives 0 bytes.
        Harness h;
        const Bytes cut(stream.begin(), stream.begin() + 40000);
        h.fs.AddFile(kImage, cut);
        auto file = h.fs.OpenForRead(kImage);
        EXPECT_EQ(payload::ExtractFromImageFile(*file, static_cast<std::int32_t>(stream.size()), kOut, &h.counter,
                                                100, h.fs, {}),
                  -3);
        const Bytes out = h.Output();
        EXPECT_LT(out.size(), contents.size());
        EXPECT_TRUE(std::equal(out.begin(), out.end(), contents.begin()));
    }
}

// Fails every allocation from the `failFrom`-th on (counting from 1).
struct FailingAllocator {
    int calls = 0;
    int failFrom;
    static voidpf Alloc(voidpf opaque, uInt items, uInt size) {
        auto* self = static_cast<FailingAllocator*>(opaque);
        if (++self->calls >= self->failFrom) return Z_NULL;
        return std::calloc(items, size);
    }
    static void Free(voidpf, voidpf address) { std::free(address); }
};

TEST_P(ExtractEngine, OutOfMemoryGivesMinus4WithNoFileWhenInitialisationFails) {
    // More than one output buffer, so that zlib allocates its window.
    const Bytes stream = Compress(RandomBytes(100000, 13));
    struct Case { int failFrom; bool fileCreated; };
    const Case cases[] = {{1, false}, {2, true}};  // the stream state, then the window
    for (const auto& c : cases) {
        SCOPED_TRACE(c.failFrom);
        Harness h;
        FailingAllocator failing{0, c.failFrom};
        payload::InflateAllocator allocator;
        allocator.zalloc = &FailingAllocator::Alloc;
        allocator.zfree = &FailingAllocator::Free;
        allocator.opaque = &failing;
        EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size()), {}, allocator), -4);
        EXPECT_EQ(h.fs.HasFile(kOut), c.fileCreated);
        EXPECT_GE(failing.calls, c.failFrom);
    }
}

TEST_P(ExtractEngine, PositionsPassOneHundredWhenInflatedBytesOutgrowTheTotal) {
    Harness h;
    h.total = 1000;
    const Bytes contents(100000, 'x');
    const Bytes stream = Compress(contents);
    ASSERT_LT(stream.size(), 1000u);
    EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), 0);
    ASSERT_FALSE(h.positions.empty());
    EXPECT_EQ(h.positions.front(), 1638);  // 16384 / 1000 * 100
    EXPECT_EQ(h.positions.back(), 10000);
}

TEST_P(ExtractEngine, ZeroTotalReportsZeroAndNullCounterIsAllowed) {
    const Bytes contents = RandomBytes(40000, 14);
    const Bytes stream = Compress(contents);
    Harness h;
    h.total = 0;
    EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), 0);
    ASSERT_FALSE(h.positions.empty());
    for (int p : h.positions) EXPECT_EQ(p, 0);

    Harness n;
    if (GetParam() == Engine::kMemory) {
        EXPECT_EQ(payload::ExtractFromMemory(stream.data(), static_cast<std::int32_t>(stream.size()), kOut, nullptr,
                                             10, n.fs, {}),
                  0);
    } else {
        n.fs.AddFile(kImage, stream);
        auto file = n.fs.OpenForRead(kImage);
        EXPECT_EQ(payload::ExtractFromImageFile(*file, static_cast<std::int32_t>(stream.size()), kOut, nullptr, 10,
                                                n.fs, {}),
                  0);
    }
    EXPECT_EQ(n.Output(), contents);
}

TEST_P(ExtractEngine, CounterIsHeldAtItsMaximum) {
    Harness h;
    h.counter = INT32_MAX - 10;
    h.total = 1;
    const Bytes stream = Compress(RandomBytes(100, 15));
    EXPECT_EQ(h.Run(GetParam(), stream, static_cast<std::int64_t>(stream.size())), 0);
    EXPECT_EQ(h.counter, INT32_MAX);
    EXPECT_EQ(h.positions.back(), INT_MAX);
}

TEST(ProgressPosition, TruncatesTowardZeroAndGuardsTheEdges) {
    struct Case { std::int32_t counter, total; int expected; };
    const Case cases[] = {
        {0, 100, 0},       {1, 3, 33},          {2, 3, 66},          {3, 3, 100},
        {-1, 3, -33},      {5, 0, 0},           {0, 0, 0},           {1, -3, -33},
        {2060281, 916567, 224},                 {INT32_MAX, 1, INT_MAX},
        {INT32_MIN, 1, INT_MIN},                {INT32_MAX, INT32_MAX, 100},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.counter) + "/" + std::to_string(c.total));
        EXPECT_EQ(payload::ProgressPosition(c.counter, c.total), c.expected);
    }
}

}  // namespace
