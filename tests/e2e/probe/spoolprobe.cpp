// spoolprobe: exercises the payload programs through the system's own calls,
// inside a Wine prefix, and writes what it saw as one UTF-8 JSON object.
//
//   spoolprobe <out.json> driver <printer> <folder>
//       copies <folder>\<printer>UI.dll, <printer>Drv.dll and <printer>GPC.pcd
//       into the printer-driver directory, installs the driver
//       "<printer> Driver" for "Windows x64" with them and adds the printer
//       (port LPT1:, WinPrint, RAW); then asks for its document properties,
//       device modes and device capabilities, and calls the library's other
//       entry points directly.
//   spoolprobe <out.json> monitor <monitor name> <dll path> <port>...
//       adds the monitor and each port through it (AddPortExW, level 1).
//   spoolprobe <out.json> ports <monitor name>
//       the spooler's ports, the monitor's transceiver answers ("MonitorUI",
//       "PortExists") and the monitor's "Ports" sub-keys.
//   spoolprobe <out.json> deleteport <monitor name> <port>
//   spoolprobe <out.json> monitorui <interface dll path> <port>
//       the monitor's interface library: add, configure, delete the port.
//   spoolprobe <out.json> service <service name> <program path>
//       creates the service (own process, interactive, automatic start,
//       quoted path), starts it, stops it and deletes it, recording each
//       state; runs the program once more as a plain program.
//
// The process exit code is 0 when the JSON was written; what the calls
// answered is in the JSON, for the test to judge.
#include <windows.h>
#include <winspool.h>
#include <winsplp.h>

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

namespace {

using std::string;
using std::vector;
using std::wstring;

string ToUtf8(const wstring& w) {
  if (w.empty()) return string();
  int n = WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0,
                              nullptr, nullptr);
  string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), &s[0], n, nullptr,
                      nullptr);
  return s;
}

string Json(const wstring& w) {
  string out = "\"";
  for (const char c : ToUtf8(w)) {
    if (c == '"' || c == '\\') {
      out += '\\';
      out += c;
    } else if (static_cast<unsigned char>(c) < 0x20) {
      char buf[8];
      snprintf(buf, sizeof buf, "\\u%04x", static_cast<unsigned>(c));
      out += buf;
    } else {
      out += c;
    }
  }
  return out + "\"";
}

string Json(long long v) { return std::to_string(v); }
string Json(bool v) { return v ? "true" : "false"; }

string Array(const vector<string>& items) {
  string out = "[";
  for (size_t i = 0; i < items.size(); ++i) out += (i ? "," : "") + items[i];
  return out + "]";
}

class Obj {
 public:
  Obj& Raw(const char* key, const string& json) {
    body_ += (body_.empty() ? "" : ",") + Json(Wide(key)) + ":" + json;
    return *this;
  }
  Obj& Str(const char* key, const wstring& v) { return Raw(key, Json(v)); }
  Obj& Num(const char* key, long long v) { return Raw(key, Json(v)); }
  Obj& Bool(const char* key, bool v) { return Raw(key, Json(v)); }
  string Done() const { return "{" + body_ + "}"; }

 private:
  static wstring Wide(const char* s) { return wstring(s, s + strlen(s)); }
  string body_;
};

// One call's outcome: {"ok": ..., "error": GetLastError() right after it}.
string Outcome(bool ok, DWORD error) {
  return Obj().Bool("ok", ok).Num("error", ok ? 0 : error).Done();
}

wstring DriverDirectory() {
  WCHAR dir[MAX_PATH];
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(dir), sizeof dir,
                                  &needed))
    return wstring();
  return dir;
}

string DevmodeJson(const DEVMODEW* dm) {
  return Obj()
      .Str("device", wstring(dm->dmDeviceName, wcsnlen(dm->dmDeviceName, CCHDEVICENAME)))
      .Num("spec_version", dm->dmSpecVersion)
      .Num("size", dm->dmSize)
      .Num("extra", dm->dmDriverExtra)
      .Num("fields", dm->dmFields)
      .Num("orientation", dm->dmOrientation)
      .Num("paper", dm->dmPaperSize)
      .Num("width", dm->dmPaperWidth)
      .Num("length", dm->dmPaperLength)
      .Num("copies", dm->dmCopies)
      .Num("quality", dm->dmPrintQuality)
      .Num("yres", dm->dmYResolution)
      .Str("form", wstring(dm->dmFormName, wcsnlen(dm->dmFormName, CCHFORMNAME)))
      .Done();
}

// DocumentPropertiesW with an output buffer of the driver's size. Wine takes
// the output buffer's size from its dmSize, so that is set first (Windows
// knows the size from its own first call).
string QueryDevmode(HANDLE printer, wstring name, LONG size, const DEVMODEW* in) {
  vector<BYTE> buffer(size > 0 ? size : 1, 0xCD);
  auto* out = reinterpret_cast<DEVMODEW*>(buffer.data());
  out->dmSize = static_cast<WORD>(size);
  DWORD mode = DM_OUT_BUFFER | (in ? DM_IN_BUFFER : 0);
  LONG rc = DocumentPropertiesW(nullptr, printer, &name[0], out, const_cast<DEVMODEW*>(in), mode);
  Obj o;
  o.Num("result", rc);
  if (rc > 0) o.Raw("devmode", DevmodeJson(out));
  return o.Done();
}

string Capabilities(const wstring& printer, const wstring& port) {
  Obj o;
  auto count = [&](WORD cap) {
    return static_cast<long long>(
        static_cast<int>(DeviceCapabilitiesW(printer.c_str(), port.c_str(), cap, nullptr, nullptr)));
  };
  for (auto [key, cap] : {std::pair<const char*, WORD>{"size", DC_SIZE},
                          {"extra", DC_EXTRA},
                          {"version", DC_VERSION},
                          {"fields", DC_FIELDS},
                          {"copies", DC_COPIES},
                          {"orientation", DC_ORIENTATION},
                          {"bins", DC_BINS},
                          {"nup", DC_NUP}}) {
    o.Num(key, count(cap));
  }
  const int papers = static_cast<int>(count(DC_PAPERS));
  o.Num("papers_count", papers);
  if (papers > 0 && papers < 1000) {
    vector<WORD> numbers(papers + 1, 0xCDCD);
    DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_PAPERS,
                        reinterpret_cast<LPWSTR>(numbers.data()), nullptr);
    vector<WCHAR> names((papers + 1) * 64, L'#');
    const int named = DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_PAPERNAMES,
                                          names.data(), nullptr);
    vector<POINT> sizes(papers + 1, POINT{-7, -7});
    const int sized = DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_PAPERSIZE,
                                          reinterpret_cast<LPWSTR>(sizes.data()), nullptr);
    vector<string> n, s, p;
    for (int i = 0; i <= papers; ++i) {  // one entry past the count: untouched
      p.push_back(Json(static_cast<long long>(numbers[i])));
      const WCHAR* name = &names[i * 64];
      n.push_back(Json(wstring(name, wcsnlen(name, 64))));
      s.push_back(Array({Json(static_cast<long long>(sizes[i].x)),
                         Json(static_cast<long long>(sizes[i].y))}));
    }
    o.Raw("papers", Array(p)).Num("names_count", named).Raw("names", Array(n));
    o.Num("sizes_count", sized).Raw("sizes", Array(s));
  }
  const int resolutions = static_cast<int>(count(DC_ENUMRESOLUTIONS));
  o.Num("resolutions_count", resolutions);
  if (resolutions > 0 && resolutions < 100) {
    vector<LONG> pairs(2 * resolutions, 0);
    DeviceCapabilitiesW(printer.c_str(), port.c_str(), DC_ENUMRESOLUTIONS,
                        reinterpret_cast<LPWSTR>(pairs.data()), nullptr);
    vector<string> r;
    for (LONG v : pairs) r.push_back(Json(static_cast<long long>(v)));
    o.Raw("resolutions", Array(r));
  }
  return o.Done();
}

// The configuration library's entry points that Wine's spooler never calls,
// called here directly from the spooler's copy of the library.
string DirectCalls(const wstring& library, wstring printer) {
  Obj o;
  HMODULE dll = LoadLibraryW(library.c_str());
  o.Bool("loaded", dll != nullptr);
  if (!dll) return o.Done();
  using ConvertFn = BOOL(WINAPI*)(LPWSTR, DEVMODEW*, DEVMODEW*, LONG*, DWORD);
  using SheetsFn = LONG(WINAPI*)(void*, LPARAM);
  using PrinterEventFn = BOOL(WINAPI*)(LPWSTR, INT, DWORD, LPARAM);
  using DriverEventFn = BOOL(WINAPI*)(DWORD, DWORD, LPBYTE, LPARAM);
  using QueryFn = BOOL(WINAPI*)(void*);
  using UpgradeFn = BOOL(WINAPI*)(DWORD, LPBYTE);
  auto proc = [&](const char* name) { return reinterpret_cast<void*>(GetProcAddress(dll, name)); };
  auto convert = reinterpret_cast<ConvertFn>(proc("DrvConvertDevMode"));
  auto device_sheets = reinterpret_cast<SheetsFn>(proc("DrvDevicePropertySheets"));
  auto printer_event = reinterpret_cast<PrinterEventFn>(proc("DrvPrinterEvent"));
  auto driver_event = reinterpret_cast<DriverEventFn>(proc("DrvDriverEvent"));
  auto query = reinterpret_cast<QueryFn>(proc("DevQueryPrintEx"));
  auto upgrade = reinterpret_cast<UpgradeFn>(proc("DrvUpgradePrinter"));
  if (!convert || !device_sheets || !printer_event || !driver_event || !query || !upgrade) {
    FreeLibrary(dll);
    return o.Bool("entry_points", false).Done();
  }
  o.Bool("entry_points", true);

  // The driver's default: first too small a buffer, then one that fits.
  vector<BYTE> full(1024, 0xCD);
  auto* dm = reinterpret_cast<DEVMODEW*>(full.data());
  LONG needed = 10;
  BOOL ok = convert(&printer[0], nullptr, dm, &needed, 0x04 /* CDM_DRIVER_DEFAULT */);
  o.Raw("default_small", Obj().Bool("ok", ok).Num("error", ok ? 0 : GetLastError())
                             .Num("needed", needed).Bool("untouched", full[0] == 0xCD).Done());
  needed = static_cast<LONG>(full.size());
  ok = convert(&printer[0], nullptr, dm, &needed, 0x04);
  o.Raw("default", Obj().Bool("ok", ok).Num("needed", needed).Raw("devmode", DevmodeJson(dm)).Done());

  // That device mode, landscape, into the NT 3.51 layout and into a public
  // part that ends before the form name.
  dm->dmOrientation = DMORIENT_LANDSCAPE;
  vector<BYTE> old_layout(1024, 0xCD);
  auto* out = reinterpret_cast<DEVMODEW*>(old_layout.data());
  needed = static_cast<LONG>(old_layout.size());
  ok = convert(&printer[0], dm, out, &needed, 0x02 /* CDM_CONVERT351 */);
  o.Raw("convert351", Obj().Bool("ok", ok).Num("needed", needed).Raw("devmode", DevmodeJson(out))
                          .Bool("end_untouched", old_layout[needed] == 0xCD).Done());
  vector<BYTE> short_layout(1024, 0xCD);
  out = reinterpret_cast<DEVMODEW*>(short_layout.data());
  out->dmSpecVersion = 0x0300;
  out->dmSize = static_cast<WORD>(offsetof(DEVMODEW, dmFormName));
  out->dmDriverExtra = 4;
  needed = static_cast<LONG>(short_layout.size());
  ok = convert(&printer[0], dm, out, &needed, 0x01 /* CDM_CONVERT */);
  o.Raw("convert_short", Obj().Bool("ok", ok).Num("needed", needed).Num("size", out->dmSize)
                             .Num("extra", out->dmDriverExtra).Num("fields", out->dmFields)
                             .Num("orientation", out->dmOrientation)
                             .Bool("end_untouched", short_layout[needed] == 0xCD).Done());
  needed = 0;
  ok = convert(&printer[0], dm, out, &needed, 0x40 /* no such mode */);
  o.Raw("convert_bad_mode", Outcome(ok, GetLastError()));

  o.Num("device_sheets_without_ui", device_sheets(nullptr, 0));
  o.Bool("printer_event", printer_event(&printer[0], 3 /* PRINTER_EVENT_INITIALIZE */, 1, 0));
  o.Bool("driver_event", driver_event(1 /* DRIVER_EVENT_INITIALIZE */, 3, nullptr, 0));
  o.Bool("query", query(nullptr));
  o.Bool("upgrade", upgrade(1, nullptr));
  FreeLibrary(dll);
  return o.Done();
}

string Driver(const wstring& printer, const wstring& folder) {
  Obj o;
  const wstring dir = DriverDirectory();
  o.Str("driver_directory", dir);
  const wstring config = printer + L"UI.dll", data = printer + L"GPC.pcd",
                render = printer + L"Drv.dll";
  bool copied = !dir.empty();
  for (const wstring& file : {config, data, render}) {
    if (GetFileAttributesW((folder + L"\\" + file).c_str()) == INVALID_FILE_ATTRIBUTES) continue;
    copied = copied && CopyFileW((folder + L"\\" + file).c_str(), (dir + L"\\" + file).c_str(), FALSE);
  }
  o.Bool("copied", copied);

  wstring driver_name = printer + L" Driver", env = L"Windows x64";
  DRIVER_INFO_2W di = {};
  di.cVersion = 3;
  di.pName = &driver_name[0];
  di.pEnvironment = &env[0];
  wstring render_m = render, data_m = data, config_m = config;
  di.pDriverPath = &render_m[0];
  di.pDataFile = &data_m[0];
  di.pConfigFile = &config_m[0];
  BOOL ok = AddPrinterDriverW(nullptr, 2, reinterpret_cast<BYTE*>(&di));
  o.Raw("add_driver", Outcome(ok, GetLastError()));

  wstring name = printer, port = L"LPT1:", processor = L"WinPrint", type = L"RAW", empty;
  PRINTER_INFO_2W pi = {};
  pi.pPrinterName = &name[0];
  pi.pPortName = &port[0];
  pi.pDriverName = &driver_name[0];
  pi.pPrintProcessor = &processor[0];
  pi.pDatatype = &type[0];
  pi.pParameters = &empty[0];
  pi.pSepFile = &empty[0];
  HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&pi));
  o.Raw("add_printer", Outcome(h != nullptr, GetLastError()));
  if (!h) return o.Done();

  DWORD needed = 0;
  GetPrinterDriverW(h, nullptr, 2, nullptr, 0, &needed);
  vector<BYTE> info(needed ? needed : 1);
  if (needed && GetPrinterDriverW(h, nullptr, 2, info.data(), needed, &needed)) {
    auto* d = reinterpret_cast<DRIVER_INFO_2W*>(info.data());
    o.Str("data_file", d->pDataFile ? d->pDataFile : L"").Str("config_file", d->pConfigFile ? d->pConfigFile : L"");
  }

  // The device mode the spooler stored when it added the printer.
  needed = 0;
  GetPrinterW(h, 2, nullptr, 0, &needed);
  vector<BYTE> pinfo(needed ? needed : 1);
  if (needed && GetPrinterW(h, 2, pinfo.data(), needed, &needed)) {
    auto* p = reinterpret_cast<PRINTER_INFO_2W*>(pinfo.data());
    if (p->pDevMode) o.Raw("stored_devmode", DevmodeJson(p->pDevMode));
  }

  const LONG size = DocumentPropertiesW(nullptr, h, &name[0], nullptr, nullptr, 0);
  o.Num("devmode_size", size);
  o.Raw("default", QueryDevmode(h, name, size, nullptr));

  // A caller's device mode: landscape, five copies, the eleventh form.
  DEVMODEW want = {};
  want.dmSize = sizeof want;
  want.dmSpecVersion = DM_SPECVERSION;
  want.dmFields = DM_ORIENTATION | DM_COPIES | DM_PAPERSIZE;
  want.dmOrientation = DMORIENT_LANDSCAPE;
  want.dmCopies = 5;
  want.dmPaperSize = DMPAPER_USER + 10;
  o.Raw("merged", QueryDevmode(h, name, size, &want));
  // One the printer cannot honour: every field keeps its default.
  DEVMODEW odd = want;
  odd.dmFields |= DM_FORMNAME;
  odd.dmOrientation = 7;
  odd.dmCopies = 0;
  odd.dmPaperSize = DMPAPER_A4;
  wcscpy(odd.dmFormName, L"Letter");
  o.Raw("refused", QueryDevmode(h, name, size, &odd));
  // A form chosen by name (any case).
  DEVMODEW by_name = {};
  by_name.dmSize = sizeof by_name;
  by_name.dmSpecVersion = DM_SPECVERSION;
  by_name.dmFields = DM_FORMNAME;
  wcscpy(by_name.dmFormName, L"ems(105mm x 149mm)");
  o.Raw("by_name", QueryDevmode(h, name, size, &by_name));
  // An output buffer too small for even the public part (its size in
  // dmSize, as Wine reads it): nothing may be written.
  {
    const size_t small = offsetof(DEVMODEW, dmFields);
    vector<BYTE> buffer(sizeof(DEVMODEW), 0xCD);
    auto* out = reinterpret_cast<DEVMODEW*>(buffer.data());
    out->dmSize = static_cast<WORD>(small);
    LONG rc = DocumentPropertiesW(nullptr, h, &name[0], out, nullptr, DM_OUT_BUFFER);
    const DWORD error = GetLastError();
    bool untouched = out->dmSize == small;
    for (size_t i = 0; i < buffer.size(); ++i)
      untouched = untouched && (buffer[i] == 0xCD || (i >= offsetof(DEVMODEW, dmSize) &&
                                                      i < offsetof(DEVMODEW, dmSize) + 2));
    o.Raw("small_buffer", Obj().Num("result", rc).Num("error", rc < 0 ? error : 0)
                               .Bool("untouched", untouched).Done());
  }

  o.Raw("capabilities", Capabilities(name, port));
  ClosePrinter(h);
  o.Raw("direct", DirectCalls(dir + L"\\3\\" + config, name));
  return o.Done();
}

string Monitor(const wstring& monitor, const wstring& dll, const vector<wstring>& ports) {
  Obj o;
  wstring name = monitor, env = L"Windows NT x86", path = dll;
  MONITOR_INFO_2W mi = {&name[0], &env[0], &path[0]};
  BOOL ok = AddMonitorW(nullptr, 2, reinterpret_cast<BYTE*>(&mi));
  o.Raw("add_monitor", Outcome(ok, GetLastError()));
  // AddPortExW is exported but not declared by the headers.
  using AddPortExFn = BOOL(WINAPI*)(LPWSTR, DWORD, LPBYTE, LPWSTR);
  auto add_port_ex = reinterpret_cast<AddPortExFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"winspool.drv"), "AddPortExW")));
  vector<string> added;
  for (wstring port : ports) {
    PORT_INFO_1W pi = {&port[0]};
    ok = add_port_ex && add_port_ex(nullptr, 1, reinterpret_cast<BYTE*>(&pi), &name[0]);
    added.push_back(Outcome(ok, add_port_ex ? GetLastError() : ERROR_PROC_NOT_FOUND));
  }
  o.Raw("add_ports", Array(added));
  return o.Done();
}

string Ports(const wstring& monitor) {
  Obj o;
  DWORD needed = 0, count = 0;
  EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count);
  vector<BYTE> buffer(needed ? needed : 1);
  vector<string> list;
  if (EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count)) {
    auto* info = reinterpret_cast<PORT_INFO_2W*>(buffer.data());
    for (DWORD i = 0; i < count; ++i) {
      list.push_back(Obj().Str("name", info[i].pPortName ? info[i].pPortName : L"")
                         .Str("monitor", info[i].pMonitorName ? info[i].pMonitorName : L"")
                         .Str("description", info[i].pDescription ? info[i].pDescription : L"")
                         .Done());
    }
  }
  o.Raw("ports", Array(list));

  wstring object = L",XcvMonitor " + monitor;
  PRINTER_DEFAULTSW defaults = {nullptr, nullptr, SERVER_ACCESS_ADMINISTER};
  HANDLE xcv = nullptr;
  if (OpenPrinterW(&object[0], &xcv, &defaults)) {
    WCHAR ui[MAX_PATH] = {};
    DWORD got = 0, status = 0;
    BOOL ok = XcvDataW(xcv, L"MonitorUI", nullptr, 0, reinterpret_cast<BYTE*>(ui), sizeof ui, &got,
                       &status);
    o.Raw("monitor_ui", Obj().Bool("ok", ok).Num("status", status).Str("name", ui).Done());
    ClosePrinter(xcv);
  } else {
    o.Raw("monitor_ui", Outcome(false, GetLastError()));
  }

  HKEY key;
  vector<string> keys;
  const wstring path = L"SYSTEM\\CurrentControlSet\\Control\\Print\\Monitors\\" + monitor + L"\\Ports";
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, path.c_str(), 0, KEY_READ, &key) == ERROR_SUCCESS) {
    WCHAR sub[256];
    for (DWORD i = 0;; ++i) {
      DWORD chars = 256;
      if (RegEnumKeyExW(key, i, sub, &chars, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS)
        break;
      keys.push_back(Json(wstring(sub)));
    }
    RegCloseKey(key);
  }
  o.Raw("port_keys", Array(keys));
  return o.Done();
}

// The monitor's interface library called as the spooler calls it: add and
// configure, then delete the port (which goes to the monitor through its
// transceiver).
string InterfaceCalls(const wstring& library, wstring port) {
  Obj o;
  HMODULE dll = LoadLibraryW(library.c_str());
  using InitFn = PMONITORUI(WINAPI*)();
  auto init = dll ? reinterpret_cast<InitFn>(reinterpret_cast<void*>(
                        GetProcAddress(dll, "InitializePrintMonitorUI")))
                  : nullptr;
  PMONITORUI ui = init ? init() : nullptr;
  o.Bool("loaded", ui != nullptr);
  if (!ui) return o.Done();
  o.Num("size", ui->dwMonitorUISize);
  PWSTR added = reinterpret_cast<PWSTR>(1);
  BOOL ok = ui->pfnAddPortUI(nullptr, nullptr, port.c_str(), &added);
  o.Raw("add", Obj().Bool("ok", ok).Num("error", ok ? 0 : GetLastError())
                   .Bool("no_name", added == nullptr).Done());
  ok = ui->pfnConfigurePortUI(nullptr, nullptr, port.c_str());
  o.Raw("configure", Outcome(ok, GetLastError()));
  ok = ui->pfnDeletePortUI(nullptr, nullptr, port.c_str());
  o.Raw("delete", Outcome(ok, GetLastError()));
  ok = ui->pfnDeletePortUI(nullptr, nullptr, port.c_str());
  o.Raw("delete_again", Outcome(ok, GetLastError()));
  FreeLibrary(dll);
  return o.Done();
}

string RemovePort(const wstring& port) {
  wstring p = port;
  BOOL ok = DeletePortW(nullptr, nullptr, &p[0]);
  return Obj().Raw("delete_port", Outcome(ok, GetLastError())).Done();
}

// Polls the service until it reaches `state` or 15 s pass; the states seen.
string WaitState(SC_HANDLE service, DWORD state, SERVICE_STATUS* last) {
  vector<string> seen;
  DWORD previous = 0;
  for (int i = 0; i < 300; ++i) {
    if (!QueryServiceStatus(service, last)) break;
    if (last->dwCurrentState != previous) {
      previous = last->dwCurrentState;
      seen.push_back(Json(static_cast<long long>(previous)));
    }
    if (last->dwCurrentState == state) break;
    Sleep(50);
  }
  return Array(seen);
}

string Service(const wstring& service_name, const wstring& program) {
  Obj o;
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  o.Raw("open_manager", Outcome(manager != nullptr, GetLastError()));
  if (!manager) return o.Done();
  const wstring command = L"\"" + program + L"\"";
  SC_HANDLE service = CreateServiceW(
      manager, service_name.c_str(), service_name.c_str(), SERVICE_ALL_ACCESS,
      SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
      SERVICE_ERROR_NORMAL, command.c_str(), nullptr, nullptr, L"\0", nullptr, nullptr);
  o.Raw("create", Outcome(service != nullptr, GetLastError()));
  if (service) {
    const DWORD start_tick = GetTickCount();
    BOOL ok = StartServiceW(service, 0, nullptr);
    o.Raw("start", Outcome(ok, GetLastError()));
    SERVICE_STATUS status = {};
    o.Raw("starting", WaitState(service, SERVICE_RUNNING, &status));
    o.Num("start_ms", GetTickCount() - start_tick);
    o.Num("running_accepts", status.dwControlsAccepted);
    SERVICE_STATUS answer = {};
    ok = ControlService(service, SERVICE_CONTROL_INTERROGATE, &answer);
    o.Raw("interrogate", Outcome(ok, GetLastError()));
    ok = ControlService(service, SERVICE_CONTROL_PAUSE, &answer);
    o.Raw("pause", Outcome(ok, GetLastError()));
    ok = ControlService(service, SERVICE_CONTROL_STOP, &answer);
    o.Raw("stop", Outcome(ok, GetLastError()));
    o.Raw("stopping", WaitState(service, SERVICE_STOPPED, &status));
    o.Num("exit_code", status.dwWin32ExitCode);
    ok = DeleteService(service);
    o.Raw("delete", Outcome(ok, GetLastError()));
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);

  // The same program started by hand, without the service manager.
  STARTUPINFOW si = {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi = {};
  wstring line = command;
  if (CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    const DWORD waited = WaitForSingleObject(pi.hProcess, 20000);
    DWORD code = STILL_ACTIVE;
    GetExitCodeProcess(pi.hProcess, &code);
    if (waited != WAIT_OBJECT_0) TerminateProcess(pi.hProcess, 1);
    o.Raw("plain_run", Obj().Bool("ended", waited == WAIT_OBJECT_0).Num("exit_code", code).Done());
    CloseHandle(pi.hThread);
    CloseHandle(pi.hProcess);
  } else {
    o.Raw("plain_run", Outcome(false, GetLastError()));
  }
  return o.Done();
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const wstring out_path = argv[1], command = argv[2];
  vector<wstring> args(argv + 3, argv + argc);
  string json;
  if (command == L"driver" && args.size() == 2) {
    json = Driver(args[0], args[1]);
  } else if (command == L"monitor" && args.size() >= 2) {
    json = Monitor(args[0], args[1], vector<wstring>(args.begin() + 2, args.end()));
  } else if (command == L"ports" && args.size() == 1) {
    json = Ports(args[0]);
  } else if (command == L"monitorui" && args.size() == 2) {
    json = InterfaceCalls(args[0], args[1]);
  } else if (command == L"deleteport" && args.size() == 2) {
    json = RemovePort(args[1]);
  } else if (command == L"service" && args.size() == 2) {
    json = Service(args[0], args[1]);
  } else {
    return 2;
  }
  FILE* f = _wfopen(out_path.c_str(), L"wb");
  if (!f) return 3;
  const bool written = fwrite(json.data(), 1, json.size(), f) == json.size();
  return fclose(f) == 0 && written ? 0 : 3;
}
