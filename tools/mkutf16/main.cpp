// mkutf16 IN OUT: converts a UTF-8 text source of the payload into the UTF-16
// file the installer reads (BOM, CR LF, no line end after the last line).
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "texts/utf16_text_file.h"

int main(int argc, char** argv) {
    if (argc != 3) {
        std::fprintf(stderr, "usage: mkutf16 IN OUT\n");
        return 2;
    }
    std::ifstream in(argv[1], std::ios::binary);
    if (!in) {
        std::fprintf(stderr, "mkutf16: cannot open %s\n", argv[1]);
        return 1;
    }
    const std::string source((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    if (in.bad()) {
        std::fprintf(stderr, "mkutf16: cannot read %s\n", argv[1]);
        return 1;
    }
    std::vector<std::uint8_t> bytes;
    if (!texts::Utf8SourceToUtf16File(source, &bytes)) {
        std::fprintf(stderr, "mkutf16: %s is not valid UTF-8\n", argv[1]);
        return 1;
    }
    std::ofstream out(argv[2], std::ios::binary | std::ios::trunc);
    if (!out) {
        std::fprintf(stderr, "mkutf16: cannot create %s\n", argv[2]);
        return 1;
    }
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    out.close();
    if (!out) {
        // The file was created (or emptied) above: remove the partial output.
        std::fprintf(stderr, "mkutf16: cannot write %s\n", argv[2]);
        std::remove(argv[2]);
        return 1;
    }
    return 0;
}
