#include "packer_cli.h"

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>

#include <zlib.h>

#include "payload/container.h"
#include "payload/container_writer.h"

namespace packer {

namespace fs = std::filesystem;

namespace {

const char kUsage[] =
    "usage: packer --out FILE [--appended-to EXE] [--header TEXT]"
    " (--list LISTFILE | --dir DIR | NAME=PATH ...)\n"
    "       packer --list-members FILE\n";

struct Source {
    std::string name;
    fs::path path;    // the file the member is read from
    std::string from; // where the member was named, for messages
};

class Messages {
public:
    explicit Messages(std::string* err) : err_(err) {}
    int Fail(const std::string& text, int code = kExitFailed) {
        *err_ += "packer: " + text + "\n";
        return code;
    }
    int Usage(const std::string& text) {
        Fail(text, kExitUsage);
        *err_ += kUsage;
        return kExitUsage;
    }

private:
    std::string* err_;
};

std::string Quote(const fs::path& path) { return "'" + path.u8string() + "'"; }

bool ReadWholeFile(const fs::path& path, std::vector<std::uint8_t>* bytes, std::string* why) {
    std::error_code ec;
    if (!fs::exists(path, ec)) {
        *why = "no such file";
        return false;
    }
    if (!fs::is_regular_file(path, ec)) {
        *why = "not a regular file";
        return false;
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        *why = "cannot be opened";
        return false;
    }
    bytes->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    if (in.bad()) {
        *why = "read error";
        return false;
    }
    return true;
}

// One member per line: NAME, a tab, PATH (relative to the list's folder).
// Blank lines and lines starting with '#' are skipped.
bool ParseList(const fs::path& listFile, std::vector<Source>* sources, Messages& messages, int* code) {
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(listFile, &bytes, &why)) {
        *code = messages.Fail("cannot read list file " + Quote(listFile) + ": " + why);
        return false;
    }
    const std::string text(bytes.begin(), bytes.end());
    const fs::path folder = listFile.parent_path();
    std::size_t start = 0;
    for (int lineNumber = 1; start < text.size(); ++lineNumber) {
        std::size_t end = text.find('\n', start);
        if (end == std::string::npos) end = text.size();
        std::string line = text.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (line.find_first_not_of(" \t") == std::string::npos || line[0] == '#') continue;
        const std::string where = listFile.u8string() + ":" + std::to_string(lineNumber);
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos || tab + 1 == line.size()) {
            *code = messages.Fail(where + ": expected NAME<TAB>PATH");
            return false;
        }
        sources->push_back({line.substr(0, tab), folder / fs::u8path(line.substr(tab + 1)), where});
    }
    return true;
}

// Every regular file below `dir`, named by its relative path with '\'
// separators, in byte order of those names.
bool ScanDirectory(const fs::path& dir, std::vector<Source>* sources, Messages& messages, int* code) {
    std::error_code ec;
    if (!fs::is_directory(dir, ec)) {
        *code = messages.Fail("cannot read folder " + Quote(dir) + ": not a folder");
        return false;
    }
    fs::recursive_directory_iterator it(dir, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        if (!it->is_regular_file(ec)) continue;
        std::string name = it->path().lexically_relative(dir).generic_u8string();
        std::replace(name.begin(), name.end(), '/', '\\');
        sources->push_back({name, it->path(), it->path().u8string()});
    }
    if (ec) {
        *code = messages.Fail("cannot read folder " + Quote(dir) + ": " + ec.message());
        return false;
    }
    std::sort(sources->begin(), sources->end(),
              [](const Source& a, const Source& b) { return a.name < b.name; });
    return true;
}

bool WriteOutput(const fs::path& target, const std::vector<std::uint8_t>& bytes, Messages& messages,
                 int* code) {
    fs::path partial = target;
    partial += ".partial";
    std::error_code ec;
    {
        std::ofstream out(partial, std::ios::binary | std::ios::trunc);
        if (out) out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
        if (out) out.close();
        if (!out) {
            fs::remove(partial, ec);
            *code = messages.Fail("cannot write " + Quote(target));
            return false;
        }
    }
    fs::rename(partial, target, ec);
    if (ec) {
        fs::remove(partial, ec);
        *code = messages.Fail("cannot write " + Quote(target) + ": " + ec.message());
        return false;
    }
    return true;
}

// Inflates a whole stream of `size` bytes, counting the bytes it yields.
bool InflatedSize(const std::uint8_t* data, std::size_t size, std::uint64_t* inflated) {
    z_stream strm{};
    if (inflateInit(&strm) != Z_OK) return false;
    strm.next_in = const_cast<Bytef*>(data);
    strm.avail_in = static_cast<uInt>(size);
    std::uint8_t out[16384];
    *inflated = 0;
    int result = Z_OK;
    do {
        strm.next_out = out;
        strm.avail_out = sizeof out;
        result = inflate(&strm, Z_NO_FLUSH);
        *inflated += sizeof out - strm.avail_out;
    } while (result == Z_OK);
    inflateEnd(&strm);
    return result == Z_STREAM_END;
}

int ListMembers(const fs::path& file, std::string* out, Messages& messages) {
    std::vector<std::uint8_t> bytes;
    std::string why;
    if (!ReadWholeFile(file, &bytes, &why)) return messages.Fail("cannot read " + Quote(file) + ": " + why);
    if (bytes.size() < 4) return messages.Fail(Quote(file) + " is too short for a container");
    const std::uint32_t declared = payload::DeclaredMemberCount(bytes.data(), bytes.size());
    payload::EntryCursor cursor = payload::ResourceEntries(bytes.data(), bytes.size());
    payload::EntryView entry;
    std::uint32_t found = 0;
    bool damaged = false;
    while (cursor.Next(&entry)) {
        ++found;
        std::uint64_t inflated = 0;
        const bool whole = !entry.Truncated() && InflatedSize(entry.data, entry.compressedLength, &inflated);
        *out += std::string(entry.name) + "\t" + std::to_string(entry.declaredLength) + "\t" +
                (whole ? std::to_string(inflated) : std::string("damaged")) + "\n";
        if (!whole) {
            damaged = true;
            messages.Fail(Quote(file) + ": member '" + std::string(entry.name) + "' at offset " +
                          std::to_string(entry.offset) + " is damaged or cut short");
        }
    }
    if (found != declared)
        return messages.Fail(Quote(file) + ": declares " + std::to_string(declared) + " members, holds " +
                             std::to_string(found));
    return damaged ? kExitFailed : kExitOk;
}

}  // namespace

int RunPacker(const std::vector<std::string>& args, std::string* out, std::string* err) {
    Messages messages(err);
    if (!args.empty() && args[0] == "--list-members") {
        if (args.size() != 2) return messages.Usage("--list-members takes one FILE");
        return ListMembers(fs::u8path(args[1]), out, messages);
    }

    fs::path output, image, listFile, dir;
    bool appended = false, haveHeader = false;
    std::string header;
    std::vector<Source> sources;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool takesValue = arg == "--out" || arg == "--appended-to" || arg == "--header" ||
                                arg == "--list" || arg == "--dir";
        if (takesValue && i + 1 == args.size()) return messages.Usage(arg + " needs a value");
        if (arg == "--out") {
            output = fs::u8path(args[++i]);
        } else if (arg == "--appended-to") {
            image = fs::u8path(args[++i]);
            appended = true;
        } else if (arg == "--header") {
            header = args[++i];
            haveHeader = true;
        } else if (arg == "--list") {
            if (!listFile.empty()) return messages.Usage("--list given twice");
            listFile = fs::u8path(args[++i]);
        } else if (arg == "--dir") {
            if (!dir.empty()) return messages.Usage("--dir given twice");
            dir = fs::u8path(args[++i]);
        } else if (arg.compare(0, 2, "--") != 0 && arg.find('=') != std::string::npos) {
            const std::size_t eq = arg.find('=');
            sources.push_back({arg.substr(0, eq), fs::u8path(arg.substr(eq + 1)), "argument '" + arg + "'"});
        } else {
            return messages.Usage("unexpected argument '" + arg + "'");
        }
    }
    if (output.empty()) return messages.Usage("--out FILE is required");
    if (haveHeader && !appended) return messages.Usage("--header needs --appended-to");
    if (header.size() > payload::kMaxAppendedHeaderLength)
        return messages.Fail(std::string("--header: ") + payload::DescribeProblem(payload::PackProblem::kHeaderTooLong));
    const int kinds = (listFile.empty() ? 0 : 1) + (dir.empty() ? 0 : 1) + (sources.empty() ? 0 : 1);
    if (kinds > 1) return messages.Usage("give only one of --list, --dir and NAME=PATH");
    if (kinds == 0) return messages.Fail("the member list is empty: give --list, --dir or NAME=PATH");

    int code = kExitOk;
    if (!listFile.empty() && !ParseList(listFile, &sources, messages, &code)) return code;
    if (!dir.empty() && !ScanDirectory(dir, &sources, messages, &code)) return code;
    if (sources.empty()) return messages.Fail("the member list is empty");

    std::vector<payload::PackMember> members(sources.size());
    for (std::size_t i = 0; i < sources.size(); ++i) members[i].name = sources[i].name;
    // Names first, so that a bad name is reported before any file is read.
    payload::PackResult result = payload::CheckMembers(members);
    if (!result.ok()) {
        const Source& bad = sources[result.member];
        std::string text = "member '" + bad.name + "' (" + bad.from + "): " + payload::DescribeProblem(result.problem);
        if (result.problem == payload::PackProblem::kDuplicateName)
            text += ", as '" + sources[result.firstMember].name + "' (" + sources[result.firstMember].from + ")";
        return messages.Fail(text);
    }
    std::string why;
    for (std::size_t i = 0; i < sources.size(); ++i)
        if (!ReadWholeFile(sources[i].path, &members[i].contents, &why))
            return messages.Fail("cannot read " + Quote(sources[i].path) + " for member '" + sources[i].name +
                                 "' (" + sources[i].from + "): " + why);

    std::vector<std::uint8_t> bytes;
    if (appended) {
        std::vector<std::uint8_t> exe;
        if (!ReadWholeFile(image, &exe, &why)) return messages.Fail("cannot read " + Quote(image) + ": " + why);
        result = payload::BuildAppendedForm(exe, haveHeader ? header : std::string(payload::kDefaultAppendedHeader),
                                            members, &bytes);
    } else {
        result = payload::BuildResourceForm(members, &bytes);
    }
    if (!result.ok()) {
        return messages.Fail("member '" + sources[result.member].name + "' (" + sources[result.member].from +
                             "): " + payload::DescribeProblem(result.problem));
    }
    if (!WriteOutput(output, bytes, messages, &code)) return code;
    return kExitOk;
}

}  // namespace packer
