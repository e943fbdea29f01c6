#include "payload/extract.h"

#include <cstring>
#include <limits>
#include <memory>

namespace payload {

int ProgressPosition(std::int32_t counter, std::int32_t total) {
    if (total == 0) return 0;
    const double position = static_cast<double>(counter) / total * 100;
    if (position >= static_cast<double>(std::numeric_limits<int>::max()))
        return std::numeric_limits<int>::max();
    if (position <= static_cast<double>(std::numeric_limits<int>::min()))
        return std::numeric_limits<int>::min();
    return static_cast<int>(position);
}

namespace {

// Supplies the next piece of compressed input. Returns the number of bytes
// placed in `buffer` (0: no more input), or -1 when a read failed.
class ChunkSource {
public:
    virtual ~ChunkSource() = default;
    virtual long Fill(std::uint8_t* buffer, std::size_t chunk) = 0;
};

class MemorySource : public ChunkSource {
public:
    explicit MemorySource(const std::uint8_t* source) : next_(source) {}
    long Fill(std::uint8_t* buffer, std::size_t chunk) override {
        std::memcpy(buffer, next_, chunk);
        next_ += chunk;
        return static_cast<long>(chunk);
    }

private:
    const std::uint8_t* next_;
};

class FileSource : public ChunkSource {
public:
    explicit FileSource(os::InputFile& file) : file_(file) {}
    long Fill(std::uint8_t* buffer, std::size_t chunk) override {
        std::size_t got = 0;
        if (!file_.Read(buffer, chunk, &got)) return -1;
        return static_cast<long>(got < chunk ? got : chunk);
    }

private:
    os::InputFile& file_;
};

// Ends the stream on every path once inflateInit_ succeeded.
class InflateStream {
public:
    explicit InflateStream(const InflateAllocator& allocator) {
        std::memset(&strm_, 0, sizeof strm_);
        strm_.zalloc = allocator.zalloc;
        strm_.zfree = allocator.zfree;
        strm_.opaque = allocator.opaque;
        strm_.next_in = Z_NULL;
        strm_.avail_in = 0;
    }
    int Init() {
        const int result = inflateInit_(&strm_, "1.2.5", static_cast<int>(sizeof(z_stream)));
        initialised_ = result == Z_OK;
        return result;
    }
    ~InflateStream() {
        if (initialised_) inflateEnd(&strm_);
    }
    z_stream* get() { return &strm_; }

private:
    z_stream strm_;
    bool initialised_ = false;
};

void AddToCounter(std::int32_t* counter, std::size_t bytes) {
    const std::int64_t sum = static_cast<std::int64_t>(*counter) + static_cast<std::int64_t>(bytes);
    *counter = sum > std::numeric_limits<std::int32_t>::max() ? std::numeric_limits<std::int32_t>::max()
                                                              : static_cast<std::int32_t>(sum);
}

int Extract(ChunkSource& source, std::int32_t compressedLength, const core::u16& outputPath,
            std::int32_t* counter, std::int32_t total, os::FileSystem& fs,
            const ProgressSink& progress, const InflateAllocator& allocator) {
    InflateStream stream(allocator);
    const int init = stream.Init();
    if (init != Z_OK) return init;

    // From here on every return closes the file and ends the stream.
    std::unique_ptr<os::OutputFile> out = fs.CreateForWrite(outputPath);
    if (!out) return -1;

    std::int32_t ownCounter = 0;
    if (!counter) counter = &ownCounter;

    std::uint8_t input[kExtractBufferSize];
    std::uint8_t output[kExtractBufferSize];
    z_stream* strm = stream.get();
    std::int64_t remaining = compressedLength > 0 ? compressedLength : 0;
    for (;;) {
        const std::size_t chunk =
            static_cast<std::size_t>(remaining < static_cast<std::int64_t>(kExtractBufferSize)
                                         ? remaining
                                         : static_cast<std::int64_t>(kExtractBufferSize));
        if (chunk == 0) return Z_DATA_ERROR;  // input ran out before the stream's end
        const long filled = source.Fill(input, chunk);
        if (filled < 0) return -1;
        if (filled == 0) return Z_DATA_ERROR;
        strm->next_in = input;
        strm->avail_in = static_cast<uInt>(filled);

        int result = Z_OK;
        do {
            strm->next_out = output;
            strm->avail_out = static_cast<uInt>(kExtractBufferSize);
            result = inflate(strm, Z_NO_FLUSH);
            if (result == Z_NEED_DICT) return Z_DATA_ERROR;
            if (result == Z_DATA_ERROR || result == Z_MEM_ERROR) return result;
            // Stream end, OK, buffer error and stream error all go on.
            const std::size_t produced = kExtractBufferSize - strm->avail_out;
            if (!out->Write(output, produced)) return -1;
            AddToCounter(counter, produced);
            if (progress) progress(ProgressPosition(*counter, total));
        } while (strm->avail_out == 0);

        // A short read still uses up the whole chunk it asked for.
        remaining -= static_cast<std::int64_t>(chunk);
        if (remaining <= 0 || result == Z_STREAM_END) return Z_OK;
    }
}

}  // namespace

int ExtractFromMemory(const std::uint8_t* source, std::int32_t compressedLength,
                      const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                      os::FileSystem& fs, const ProgressSink& progress, const InflateAllocator& allocator) {
    MemorySource memory(source);
    return Extract(memory, source ? compressedLength : 0, outputPath, counter, total, fs, progress,
                   allocator);
}

int ExtractFromMemory(const std::uint8_t* source, std::int32_t compressedLength,
                      const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                      os::FileSystem& fs, const ProgressSink& progress) {
    return ExtractFromMemory(source, compressedLength, outputPath, counter, total, fs, progress,
                             InflateAllocator());
}

int ExtractFromImageFile(os::InputFile& file, std::int32_t compressedLength,
                         const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                         os::FileSystem& fs, const ProgressSink& progress,
                         const InflateAllocator& allocator) {
    FileSource reader(file);
    return Extract(reader, compressedLength, outputPath, counter, total, fs, progress, allocator);
}

int ExtractFromImageFile(os::InputFile& file, std::int32_t compressedLength,
                         const core::u16& outputPath, std::int32_t* counter, std::int32_t total,
                         os::FileSystem& fs, const ProgressSink& progress) {
    return ExtractFromImageFile(file, compressedLength, outputPath, counter, total, fs, progress,
                                InflateAllocator());
}

}  // namespace payload
