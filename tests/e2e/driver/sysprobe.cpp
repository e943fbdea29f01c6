// sysprobe: what the print spooler of a prefix holds, through its own calls,
// and two actions the uninstaller scenarios need. Prints one JSON object.
//
//   sysprobe spooler              printers (level 2), drivers of "Windows x64"
//                                 and "Windows NT x86" (level 3), ports
//                                 (level 2), monitors (level 2)
//   sysprobe deleteprinter NAME   DeletePrinter, as a user would by hand
//   sysprobe hold PATH SECONDS    keeps PATH open without delete sharing, so
//                                 that deleting it fails as for a file in use
//   sysprobe run PROGRAM [ARG...] runs PROGRAM to its end and reports its
//                                 whole exit code (the Unix exit status that
//                                 Wine's loader gives keeps only 8 bits)
#include <windows.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

std::string Utf8(const wchar_t* s) {
    if (!s) return std::string();
    const int n = WideCharToMultiByte(CP_UTF8, 0, s, -1, nullptr, 0, nullptr, nullptr);
    std::string out(n > 0 ? n - 1 : 0, '\0');
    if (n > 1) WideCharToMultiByte(CP_UTF8, 0, s, -1, out.data(), n, nullptr, nullptr);
    return out;
}

std::string Json(const wchar_t* s) {
    std::string out = "\"";
    for (unsigned char c : Utf8(s)) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char buf[8];
            std::snprintf(buf, sizeof buf, "\\u%04x", c);
            out += buf;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}

template <typename Call>
bool Enumerate(Call call, std::vector<BYTE>* buffer, DWORD* count) {
    DWORD needed = 0;
    *count = 0;
    if (call(nullptr, 0, &needed, count)) return true;
    if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) return false;
    buffer->resize(needed);
    return call(buffer->data(), needed, &needed, count) != FALSE;
}

int Spooler() {
    std::vector<BYTE> buf;
    DWORD n = 0;
    std::string out = "{\"ok\":true,\"printers\":[";
    if (Enumerate([&](BYTE* b, DWORD s, DWORD* need, DWORD* c) {
            return EnumPrintersW(PRINTER_ENUM_LOCAL, nullptr, 2, b, s, need, c);
        }, &buf, &n)) {
        auto* p = reinterpret_cast<PRINTER_INFO_2W*>(buf.data());
        for (DWORD i = 0; i < n; ++i)
            out += std::string(i ? "," : "") + "{\"name\":" + Json(p[i].pPrinterName) + ",\"driver\":" +
                   Json(p[i].pDriverName) + ",\"port\":" + Json(p[i].pPortName) + "}";
    }
    out += "],\"drivers\":[";
    bool first = true;
    for (const wchar_t* env : {L"Windows x64", L"Windows NT x86"}) {
        buf.clear();
        if (!Enumerate([&](BYTE* b, DWORD s, DWORD* need, DWORD* c) {
                return EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(env), 3, b, s, need, c);
            }, &buf, &n))
            continue;
        auto* d = reinterpret_cast<DRIVER_INFO_3W*>(buf.data());
        for (DWORD i = 0; i < n; ++i) {
            out += std::string(first ? "" : ",") + "{\"environment\":" + Json(env) + ",\"name\":" + Json(d[i].pName) +
                   ",\"driver\":" + Json(d[i].pDriverPath) + ",\"data\":" + Json(d[i].pDataFile) +
                   ",\"config\":" + Json(d[i].pConfigFile) + "}";
            first = false;
        }
    }
    out += "],\"ports\":[";
    buf.clear();
    if (Enumerate([&](BYTE* b, DWORD s, DWORD* need, DWORD* c) { return EnumPortsW(nullptr, 2, b, s, need, c); },
                  &buf, &n)) {
        auto* p = reinterpret_cast<PORT_INFO_2W*>(buf.data());
        for (DWORD i = 0; i < n; ++i)
            out += std::string(i ? "," : "") + "{\"name\":" + Json(p[i].pPortName) + ",\"monitor\":" +
                   Json(p[i].pMonitorName) + "}";
    }
    out += "],\"monitors\":[";
    buf.clear();
    if (Enumerate([&](BYTE* b, DWORD s, DWORD* need, DWORD* c) { return EnumMonitorsW(nullptr, 2, b, s, need, c); },
                  &buf, &n)) {
        auto* m = reinterpret_cast<MONITOR_INFO_2W*>(buf.data());
        for (DWORD i = 0; i < n; ++i)
            out += std::string(i ? "," : "") + "{\"name\":" + Json(m[i].pName) + ",\"environment\":" +
                   Json(m[i].pEnvironment) + ",\"dll\":" + Json(m[i].pDLLName) + "}";
    }
    out += "]}";
    std::printf("%s\n", out.c_str());
    return 0;
}

int DeleteByHand(const wchar_t* name) {
    HANDLE printer = nullptr;
    PRINTER_DEFAULTSW defaults{nullptr, nullptr, PRINTER_ALL_ACCESS};
    if (!OpenPrinterW(const_cast<wchar_t*>(name), &printer, &defaults)) {
        std::printf("{\"ok\":false,\"error\":\"OpenPrinter %lu\"}\n", GetLastError());
        return 1;
    }
    const BOOL ok = DeletePrinter(printer);
    const DWORD error = GetLastError();
    ClosePrinter(printer);
    std::printf(ok ? "{\"ok\":true}\n" : "{\"ok\":false,\"error\":\"DeletePrinter %lu\"}\n", error);
    return ok ? 0 : 1;
}

int Hold(const wchar_t* path, int seconds) {
    HANDLE file = CreateFileW(path, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        std::printf("{\"ok\":false,\"error\":\"CreateFile %lu\"}\n", GetLastError());
        return 1;
    }
    std::printf("{\"ok\":true}\n");
    std::fflush(stdout);
    Sleep(static_cast<DWORD>(seconds) * 1000);
    CloseHandle(file);
    return 0;
}

// Quotes one argument for CreateProcess: backslashes before a quote doubled.
std::wstring Quote(const std::wstring& arg) {
    if (!arg.empty() && arg.find_first_of(L" \t\"") == std::wstring::npos) return arg;
    std::wstring out = L"\"";
    size_t backslashes = 0;
    for (wchar_t c : arg) {
        if (c == L'\\') {
            ++backslashes;
            continue;
        }
        out.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
        backslashes = 0;
        out += c;
    }
    out.append(backslashes * 2, L'\\');
    return out + L"\"";
}

int Run(int argc, wchar_t** argv) {
    std::wstring line;
    for (int i = 2; i < argc; ++i) line += (i > 2 ? L" " : L"") + Quote(argv[i]);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        std::printf("{\"ok\":false,\"error\":\"CreateProcess %lu\"}\n", GetLastError());
        return 1;
    }
    WaitForSingleObject(process.hProcess, INFINITE);
    DWORD code = 0;
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    std::printf("{\"ok\":true,\"exit\":%lu}\n", code);
    return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
    const std::wstring cmd = argc > 1 ? argv[1] : L"";
    if (cmd == L"spooler") return Spooler();
    if (cmd == L"deleteprinter" && argc == 3) return DeleteByHand(argv[2]);
    if (cmd == L"hold" && argc == 4) return Hold(argv[2], _wtoi(argv[3]));
    if (cmd == L"run" && argc >= 3) return Run(argc, argv);
    std::printf("{\"ok\":false,\"error\":\"usage\"}\n");
    return 2;
}
