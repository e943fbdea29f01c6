#include "uninstall/command_line.h"

namespace uninstall {

namespace {

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }

bool TakeSwitch(core::u16view argument, core::u16view name, core::u16view* value) {
    if (argument.size() < name.size() || !core::EqualsNoCase(argument.substr(0, name.size()), name)) return false;
    *value = argument.substr(name.size());
    return true;
}

bool ParseHex(core::u16view text, std::uint64_t* value) {
    if (text.empty() || text.size() > 16) return false;
    std::uint64_t v = 0;
    for (char16_t c : text) {
        int digit;
        if (c >= u'0' && c <= u'9') digit = c - u'0';
        else if (c >= u'a' && c <= u'f') digit = c - u'a' + 10;
        else if (c >= u'A' && c <= u'F') digit = c - u'A' + 10;
        else return false;
        v = v * 16 + static_cast<std::uint64_t>(digit);
    }
    *value = v;
    return true;
}

}  // namespace

std::vector<core::u16> SplitCommandLine(core::u16view line) {
    std::vector<core::u16> out;
    std::size_t i = 0;
    core::u16 program;
    if (i < line.size() && line[i] == u'"') {
        ++i;
        while (i < line.size() && line[i] != u'"') program += line[i++];
        if (i < line.size()) ++i;
    } else {
        while (i < line.size() && !IsBlank(line[i])) program += line[i++];
    }
    out.push_back(std::move(program));

    while (true) {
        while (i < line.size() && IsBlank(line[i])) ++i;
        if (i >= line.size()) break;
        core::u16 arg;
        bool quoted = false;
        while (i < line.size() && (quoted || !IsBlank(line[i]))) {
            if (line[i] == u'\\') {
                std::size_t n = 0;
                while (i < line.size() && line[i] == u'\\') ++n, ++i;
                if (i < line.size() && line[i] == u'"') {
                    arg.append(n / 2, u'\\');
                    if (n % 2) {
                        arg += u'"';
                        ++i;
                    }
                } else {
                    arg.append(n, u'\\');
                }
                continue;
            }
            if (line[i] == u'"') {
                if (quoted && i + 1 < line.size() && line[i + 1] == u'"') {
                    arg += u'"';
                    i += 2;
                    continue;
                }
                quoted = !quoted;
                ++i;
                continue;
            }
            arg += line[i++];
        }
        out.push_back(std::move(arg));
    }
    return out;
}

core::u16 QuoteArgument(core::u16view argument) {
    const bool plain = !argument.empty() && argument.find_first_of(u" \t\"") == core::u16view::npos;
    if (plain) return core::u16(argument);
    core::u16 out = u"\"";
    std::size_t backslashes = 0;
    for (char16_t c : argument) {
        if (c == u'\\') {
            ++backslashes;
            continue;
        }
        if (c == u'"') {
            out.append(backslashes * 2 + 1, u'\\');
        } else {
            out.append(backslashes, u'\\');
        }
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, u'\\');  // before the closing quote
    out += u'"';
    return out;
}

bool ParseOptions(const std::vector<core::u16>& arguments, Options* options, core::u16* error) {
    *options = Options();
    bool seenLog = false, seenHandle = false, seenFolder = false, seenData = false;
    for (const core::u16& argument : arguments) {
        core::u16view value;
        bool ok = true;
        if (core::EqualsNoCase(argument, u"/S")) {
            ok = !options->silent;
            options->silent = true;
        } else if (TakeSwitch(argument, u"/LOG=", &value)) {
            ok = !seenLog && !value.empty();
            seenLog = true;
            options->logFile = core::u16(value);
        } else if (TakeSwitch(argument, u"/FINISH=", &value)) {
            ok = !seenHandle && ParseHex(value, &options->waitHandle);
            seenHandle = true;
        } else if (TakeSwitch(argument, u"/FOLDER=", &value)) {
            ok = !seenFolder && !value.empty();
            seenFolder = true;
            options->folder = core::u16(value);
        } else if (TakeSwitch(argument, u"/DATA=", &value)) {
            ok = !seenData && !value.empty();
            seenData = true;
            options->dataFolder = core::u16(value);
        } else {
            ok = false;
        }
        if (!ok) {
            *error = argument;
            return false;
        }
    }
    options->finish = seenHandle;
    // The finishing switches belong together, and only to the finishing run.
    if (seenHandle != seenFolder || (seenData && !seenHandle)) {
        *error = seenHandle ? core::u16(u"/FOLDER=") : core::u16(u"/FINISH=");
        return false;
    }
    return true;
}

}  // namespace uninstall
