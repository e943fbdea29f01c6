// The packer's command line, callable from tests.
//
//   packer --out FILE [--appended-to EXE] [--header TEXT]
//          (--list LISTFILE | --dir DIR | NAME=PATH ...)
//   packer --list-members FILE
//
// Every input is read and checked before the output is touched; the output
// is written to FILE.partial and renamed to FILE only when complete, so a
// failed run leaves no FILE behind (and an existing FILE unchanged).
#pragma once

#include <string>
#include <vector>

namespace packer {

constexpr int kExitOk = 0;
constexpr int kExitFailed = 1;  // an input, a name or the output is at fault
constexpr int kExitUsage = 2;   // the command line itself is wrong

// `args` excludes the program name. Listings go to *out, messages (one line
// each, naming the file concerned) to *err.
int RunPacker(const std::vector<std::string>& args, std::string* out, std::string* err);

}  // namespace packer
