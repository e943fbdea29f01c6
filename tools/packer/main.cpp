// packer: builds the installer's payload container from files.
#include <cstdio>
#include <string>
#include <vector>

#include "packer_cli.h"

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    std::string out, err;
    const int code = packer::RunPacker(args, &out, &err);
    std::fwrite(out.data(), 1, out.size(), stdout);
    std::fwrite(err.data(), 1, err.size(), stderr);
    return code;
}
