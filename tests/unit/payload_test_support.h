// Builders for the payload tests: zlib streams and hand-made containers,
// including damaged ones.
#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <zlib.h>

namespace payload_test {

using Bytes = std::vector<std::uint8_t>;

inline Bytes RandomBytes(std::size_t size, unsigned seed) {
    std::mt19937 gen(seed);
    Bytes bytes(size);
    for (auto& b : bytes) b = static_cast<std::uint8_t>(gen());
    return bytes;
}

// Words drawn at random: compresses well, into Huffman-coded blocks.
inline Bytes TextBytes(std::size_t size, unsigned seed) {
    static const char* const kWords[] = {"label ", "printer ", "driver ", "port ", "USB ", "serial ",
                                         "paper ", "form ", "203 dpi ", "\r\n", "TSC ", "ESC "};
    std::mt19937 gen(seed);
    Bytes bytes;
    while (bytes.size() < size) {
        for (const char* w = kWords[gen() % 12]; *w && bytes.size() < size; ++w)
            bytes.push_back(static_cast<std::uint8_t>(*w));
    }
    return bytes;
}

inline Bytes ToBytes(const std::string& s) { return Bytes(s.begin(), s.end()); }

inline Bytes Compress(const Bytes& data) {
    uLongf length = compressBound(static_cast<uLong>(data.size()));
    Bytes out(length);
    static const Bytef kNone = 0;
    if (compress2(out.data(), &length, data.empty() ? &kNone : data.data(), static_cast<uLong>(data.size()),
                  Z_DEFAULT_COMPRESSION) != Z_OK)
        return {};
    out.resize(length);
    return out;
}

// A stream that needs the preset dictionary `dict` to inflate.
inline Bytes CompressWithDictionary(const Bytes& data, const std::string& dict) {
    z_stream strm{};
    deflateInit(&strm, Z_DEFAULT_COMPRESSION);
    deflateSetDictionary(&strm, reinterpret_cast<const Bytef*>(dict.data()), static_cast<uInt>(dict.size()));
    Bytes out(compressBound(static_cast<uLong>(data.size())) + 64);
    strm.next_in = const_cast<Bytef*>(data.data());
    strm.avail_in = static_cast<uInt>(data.size());
    strm.next_out = out.data();
    strm.avail_out = static_cast<uInt>(out.size());
    deflate(&strm, Z_FINISH);
    out.resize(strm.total_out);
    deflateEnd(&strm);
    return out;
}

inline void PutU32(Bytes* out, std::uint32_t v) {
    for (int shift = 0; shift < 32; shift += 8) out->push_back(static_cast<std::uint8_t>(v >> shift));
}

// One entry as stored; N and C default to the real lengths.
struct RawEntry {
    std::string name;
    Bytes data;
    std::int64_t n = -1;
    std::int64_t c = -1;
};

inline void AppendEntry(Bytes* out, const RawEntry& e) {
    PutU32(out, static_cast<std::uint32_t>(e.n >= 0 ? e.n : static_cast<std::int64_t>(e.name.size())));
    PutU32(out, static_cast<std::uint32_t>(e.c >= 0 ? e.c : static_cast<std::int64_t>(e.data.size())));
    out->insert(out->end(), e.name.begin(), e.name.end());
    out->insert(out->end(), e.data.begin(), e.data.end());
}

// Resource form; `count` defaults to the number of entries.
inline Bytes ResourceForm(const std::vector<RawEntry>& entries, std::int64_t count = -1) {
    Bytes out;
    PutU32(&out, static_cast<std::uint32_t>(count >= 0 ? count : static_cast<std::int64_t>(entries.size())));
    for (const auto& e : entries) AppendEntry(&out, e);
    return out;
}

}  // namespace payload_test
