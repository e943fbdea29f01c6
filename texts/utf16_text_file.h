// Conversion of the payload's UTF-8 text sources into the UTF-16 files the
// installer reads: BOM FF FE, UTF-16LE, CR LF line ends, none after the last
// line. Shared by the mkutf16 host tool and the tests.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

namespace texts {

// Converts `utf8` (LF or CR LF line ends; an optional UTF-8 BOM is dropped).
// One line end at the very end of the source is dropped, so a source saved
// with a final newline gives a file without one. Returns false, leaving *out
// empty, when the source is not valid UTF-8.
bool Utf8SourceToUtf16File(std::string_view utf8, std::vector<std::uint8_t>* out);

}  // namespace texts
