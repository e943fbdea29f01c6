// System questions of the driver. Every answer is what a program in the
// prefix sees through the documented calls: the spooler's enumerations,
// printer data, the registry in the view asked for, the service manager and
// the shell's link object. Binary data is reported as lower-case hex, so the
// harness compares bytes, not interpretations.
#include "system.h"

#include <windows.h>
#include <objbase.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winspool.h>

#include <cstring>
#include <memory>

namespace wd {
namespace {

// ---------------------------------------------------------------- helpers

wstring Safe(const wchar_t* s) { return s ? wstring(s) : wstring(); }

string Hex(const BYTE* data, size_t n) {
  static const char digits[] = "0123456789abcdef";
  string out;
  out.reserve(n * 2);
  for (size_t i = 0; i < n; ++i) {
    out += digits[data[i] >> 4];
    out += digits[data[i] & 15];
  }
  return out;
}

vector<BYTE> FromHex(const wstring& s) {
  if (s.size() % 2) Fail("hex bytes expected (even number of digits)");
  auto nibble = [](wchar_t c) -> int {
    if (c >= L'0' && c <= L'9') return c - L'0';
    if (c >= L'a' && c <= L'f') return c - L'a' + 10;
    if (c >= L'A' && c <= L'F') return c - L'A' + 10;
    Fail("hex bytes expected");
  };
  vector<BYTE> out;
  for (size_t i = 0; i < s.size(); i += 2)
    out.push_back(static_cast<BYTE>(nibble(s[i]) << 4 | nibble(s[i + 1])));
  return out;
}

const wstring& Need(const vector<wstring>& a, size_t i, const char* what) {
  if (i >= a.size()) Fail(string("argument ") + std::to_string(i) + ": " + what + " expected");
  return a[i];
}

// A multi-string (REG_MULTI_SZ, dependent files) as a JSON array of its
// strings, up to the empty string that ends it.
string MultiJson(const wchar_t* p, size_t chars) {
  vector<string> items;
  size_t i = 0;
  while (p && i < chars && p[i]) {
    wstring s;
    while (i < chars && p[i]) s += p[i++];
    items.push_back(JsonString(s));
    ++i;
  }
  return JsonArray(items);
}

// Level-N records of a spooler enumeration: size query, then the records.
template <typename Enumerate>
vector<BYTE> SpoolerRecords(const char* what, Enumerate enumerate, DWORD& count) {
  DWORD needed = 0;
  count = 0;
  if (enumerate(nullptr, 0, &needed, &count)) return vector<BYTE>();
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER) FailWin32(what);
  vector<BYTE> buffer(needed);
  if (!enumerate(buffer.data(), needed, &needed, &count)) FailWin32(what);
  return buffer;
}

class Printer {
 public:
  explicit Printer(const wstring& name, ACCESS_MASK access = PRINTER_ACCESS_USE) {
    PRINTER_DEFAULTSW defaults = {nullptr, nullptr, access};
    if (!OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &h_, &defaults))
      FailWin32("OpenPrinter(" + ToUtf8(name) + ")");
  }
  ~Printer() { ClosePrinter(h_); }
  Printer(const Printer&) = delete;
  Printer& operator=(const Printer&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_ = nullptr;
};

// ---------------------------------------------------------------- spooler

string PrintersJson() {
  DWORD count = 0;
  vector<BYTE> buf = SpoolerRecords(
      "EnumPrinters",
      [](BYTE* b, DWORD n, DWORD* needed, DWORD* got) {
        return EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, b, n,
                             needed, got) != FALSE;
      },
      count);
  vector<string> items;
  const auto* info = reinterpret_cast<const PRINTER_INFO_2W*>(buf.data());
  for (DWORD i = 0; i < count; ++i) {
    const PRINTER_INFO_2W& p = info[i];
    items.push_back(Obj().Str("name", Safe(p.pPrinterName))
                        .Str("share", Safe(p.pShareName))
                        .Str("port", Safe(p.pPortName))
                        .Str("driver", Safe(p.pDriverName))
                        .Str("comment", Safe(p.pComment))
                        .Str("location", Safe(p.pLocation))
                        .Str("separator", Safe(p.pSepFile))
                        .Str("printProcessor", Safe(p.pPrintProcessor))
                        .Str("datatype", Safe(p.pDatatype))
                        .Str("parameters", Safe(p.pParameters))
                        .Int("attributes", p.Attributes)
                        .Int("priority", p.Priority)
                        .Int("defaultPriority", p.DefaultPriority)
                        .Int("status", p.Status)
                        .Int("jobs", p.cJobs)
                        .Done());
  }
  return JsonArray(items);
}

string PortsJson() {
  DWORD count = 0;
  vector<BYTE> buf = SpoolerRecords(
      "EnumPorts",
      [](BYTE* b, DWORD n, DWORD* needed, DWORD* got) {
        return EnumPortsW(nullptr, 2, b, n, needed, got) != FALSE;
      },
      count);
  vector<string> items;
  const auto* info = reinterpret_cast<const PORT_INFO_2W*>(buf.data());
  for (DWORD i = 0; i < count; ++i)
    items.push_back(Obj().Str("name", Safe(info[i].pPortName))
                        .Str("monitor", Safe(info[i].pMonitorName))
                        .Str("description", Safe(info[i].pDescription))
                        .Int("type", info[i].fPortType)
                        .Done());
  return JsonArray(items);
}

string MonitorsJson() {
  DWORD count = 0;
  vector<BYTE> buf = SpoolerRecords(
      "EnumMonitors",
      [](BYTE* b, DWORD n, DWORD* needed, DWORD* got) {
        return EnumMonitorsW(nullptr, 2, b, n, needed, got) != FALSE;
      },
      count);
  vector<string> items;
  const auto* info = reinterpret_cast<const MONITOR_INFO_2W*>(buf.data());
  for (DWORD i = 0; i < count; ++i)
    items.push_back(Obj().Str("name", Safe(info[i].pName))
                        .Str("environment", Safe(info[i].pEnvironment))
                        .Str("dll", Safe(info[i].pDLLName))
                        .Done());
  return JsonArray(items);
}

// Level-3 driver records of one environment.
void DriversOf(const wstring& env, vector<string>& items) {
  DWORD count = 0;
  vector<BYTE> buf = SpoolerRecords(
      "EnumPrinterDrivers",
      [&env](BYTE* b, DWORD n, DWORD* needed, DWORD* got) {
        return EnumPrinterDriversW(nullptr, const_cast<wchar_t*>(env.c_str()), 3, b, n, needed,
                                   got) != FALSE;
      },
      count);
  const auto* info = reinterpret_cast<const DRIVER_INFO_3W*>(buf.data());
  for (DWORD i = 0; i < count; ++i) {
    const DRIVER_INFO_3W& d = info[i];
    size_t depChars = 0;
    if (d.pDependentFiles) {
      const wchar_t* p = d.pDependentFiles;
      while (*p) p += wcslen(p) + 1;
      depChars = static_cast<size_t>(p - d.pDependentFiles) + 1;
    }
    items.push_back(Obj().Str("name", Safe(d.pName))
                        .Str("environment", Safe(d.pEnvironment))
                        .Int("version", d.cVersion)
                        .Str("driverPath", Safe(d.pDriverPath))
                        .Str("dataFile", Safe(d.pDataFile))
                        .Str("configFile", Safe(d.pConfigFile))
                        .Str("helpFile", Safe(d.pHelpFile))
                        .Raw("dependentFiles", MultiJson(d.pDependentFiles, depChars))
                        .Str("monitor", Safe(d.pMonitorName))
                        .Str("datatype", Safe(d.pDefaultDataType))
                        .Done());
  }
}

string PrinterDataValueJson(const wstring& name, DWORD type, const BYTE* data, DWORD size) {
  Obj v;
  v.Str("name", name).Int("type", type).Int("size", size).Raw("hex", JsonString(FromUtf8(Hex(data, size))));
  if (type == REG_DWORD && size == 4) {
    DWORD d = 0;
    memcpy(&d, data, 4);
    v.Int("dword", d);
  }
  return v.Done();
}

// Every value of the printer's driver data, in the order the spooler
// enumerates them: EnumPrinterDataW where the spooler lists anything with
// it. Wine 8's EnumPrinterDataW is a stub that answers "no more items"
// at once; EnumPrinterDataExW of "PrinterDriverData", the key that
// SetPrinterDataW writes to, then gives the values.
string PrinterDataJson(const wstring& printer, string& via) {
  Printer p(printer);
  DWORD maxName = 0, maxData = 0;
  DWORD rc = EnumPrinterDataW(p.get(), 0, nullptr, 0, &maxName, nullptr, nullptr, 0, &maxData);
  vector<string> items;
  if (rc == ERROR_SUCCESS || rc == ERROR_MORE_DATA) {
    via = "EnumPrinterData";
    vector<wchar_t> name(maxName / sizeof(wchar_t) + 2);
    vector<BYTE> data(maxData + 2);
    for (DWORD i = 0;; ++i) {
      DWORD nameSize = 0, type = 0, dataSize = 0;
      rc = EnumPrinterDataW(p.get(), i, name.data(), static_cast<DWORD>(name.size() * sizeof(wchar_t)),
                            &nameSize, &type, data.data(), static_cast<DWORD>(data.size()), &dataSize);
      if (rc == ERROR_NO_MORE_ITEMS) break;
      if (rc != ERROR_SUCCESS) Fail("EnumPrinterData failed, error " + std::to_string(rc));
      items.push_back(PrinterDataValueJson(name.data(), type, data.data(), dataSize));
    }
    return JsonArray(items);
  }
  if (rc != ERROR_NO_MORE_ITEMS && rc != ERROR_NOT_SUPPORTED && rc != ERROR_CALL_NOT_IMPLEMENTED)
    Fail("EnumPrinterData failed, error " + std::to_string(rc));
  via = "EnumPrinterDataEx";
  DWORD needed = 0, count = 0;
  rc = EnumPrinterDataExW(p.get(), L"PrinterDriverData", nullptr, 0, &needed, &count);
  if (rc == ERROR_FILE_NOT_FOUND) return JsonArray(items);
  if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS)
    Fail("EnumPrinterDataEx failed, error " + std::to_string(rc));
  vector<BYTE> buf(needed + 16);
  rc = EnumPrinterDataExW(p.get(), L"PrinterDriverData", buf.data(), static_cast<DWORD>(buf.size()),
                          &needed, &count);
  if (rc != ERROR_SUCCESS) Fail("EnumPrinterDataEx failed, error " + std::to_string(rc));
  const auto* values = reinterpret_cast<const PRINTER_ENUM_VALUESW*>(buf.data());
  for (DWORD i = 0; i < count; ++i)
    items.push_back(PrinterDataValueJson(Safe(values[i].pValueName), values[i].dwType,
                                         values[i].pData, values[i].cbData));
  return JsonArray(items);
}

// One value through GetPrinterDataW: exists, type and the bytes.
string PrinterDataGetJson(const wstring& printer, const wstring& value) {
  Printer p(printer);
  DWORD type = 0, needed = 0;
  DWORD rc = GetPrinterDataW(p.get(), const_cast<wchar_t*>(value.c_str()), &type, nullptr, 0, &needed);
  if (rc == ERROR_FILE_NOT_FOUND) return Obj().Str("name", value).Bool("exists", false).Done();
  if (rc != ERROR_MORE_DATA && rc != ERROR_SUCCESS)
    Fail("GetPrinterData failed, error " + std::to_string(rc));
  vector<BYTE> data(needed + 2);
  rc = GetPrinterDataW(p.get(), const_cast<wchar_t*>(value.c_str()), &type, data.data(), needed, &needed);
  if (rc != ERROR_SUCCESS) Fail("GetPrinterData failed, error " + std::to_string(rc));
  Obj v;
  v.Str("name", value).Bool("exists", true).Int("type", type).Int("size", needed).Raw(
      "hex", JsonString(FromUtf8(Hex(data.data(), needed))));
  return v.Done();
}

string DefaultPrinterJson() {
  DWORD size = 0;
  Obj o;
  if (GetDefaultPrinterW(nullptr, &size) || GetLastError() != ERROR_INSUFFICIENT_BUFFER) {
    DWORD err = GetLastError();
    return o.Bool("exists", false).Int("error", err).Done();
  }
  vector<wchar_t> name(size + 1, L'\0');
  if (!GetDefaultPrinterW(name.data(), &size)) FailWin32("GetDefaultPrinter");
  return o.Bool("exists", true).Str("name", name.data()).Done();
}

string SendRawJob(const vector<wstring>& a) {
  // rawjob <printer> <hex bytes> [document name] [output file]
  const wstring& printer = Need(a, 1, "printer name");
  vector<BYTE> bytes = FromHex(Need(a, 2, "hex bytes"));
  wstring document = a.size() > 3 ? a[3] : wstring(L"e2e raw job");
  wstring output = a.size() > 4 ? a[4] : wstring();
  Printer p(printer);
  DOC_INFO_1W doc = {const_cast<wchar_t*>(document.c_str()),
                     output.empty() ? nullptr : const_cast<wchar_t*>(output.c_str()),
                     const_cast<wchar_t*>(L"RAW")};
  DWORD job = StartDocPrinterW(p.get(), 1, reinterpret_cast<BYTE*>(&doc));
  if (!job) FailWin32("StartDocPrinter");
  DWORD written = 0;
  if (!bytes.empty() &&
      !WritePrinter(p.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written)) {
    DWORD err = GetLastError();
    EndDocPrinter(p.get());
    SetLastError(err);
    FailWin32("WritePrinter");
  }
  if (!EndDocPrinter(p.get())) FailWin32("EndDocPrinter");
  return Obj().Int("job", job).Int("written", written).Done();
}

// ---------------------------------------------------------------- registry

REGSAM ViewOf(const vector<wstring>& a, size_t i) {
  if (i >= a.size() || a[i] == L"64") return KEY_WOW64_64KEY;
  if (a[i] == L"32") return KEY_WOW64_32KEY;
  Fail("view 64 or 32 expected");
}

// A registry path with its hive: HKLM\... or HKCU\... (long names too).
HKEY SplitHive(const wstring& path, wstring& subKey) {
  size_t slash = path.find(L'\\');
  wstring hive = slash == wstring::npos ? path : path.substr(0, slash);
  subKey = slash == wstring::npos ? wstring() : path.substr(slash + 1);
  if (lstrcmpiW(hive.c_str(), L"HKLM") == 0 || lstrcmpiW(hive.c_str(), L"HKEY_LOCAL_MACHINE") == 0)
    return HKEY_LOCAL_MACHINE;
  if (lstrcmpiW(hive.c_str(), L"HKCU") == 0 || lstrcmpiW(hive.c_str(), L"HKEY_CURRENT_USER") == 0)
    return HKEY_CURRENT_USER;
  Fail("unknown hive " + ToUtf8(hive));
}

class Key {
 public:
  // Opens `path` in `view`; a missing key leaves the object empty.
  Key(const wstring& path, REGSAM access, REGSAM view) {
    wstring subKey;
    HKEY hive = SplitHive(path, subKey);
    LONG rc = RegOpenKeyExW(hive, subKey.c_str(), 0, access | view, &h_);
    if (rc == ERROR_FILE_NOT_FOUND) {
      h_ = nullptr;
      return;
    }
    if (rc != ERROR_SUCCESS) Fail("RegOpenKeyEx failed, error " + std::to_string(rc));
  }
  ~Key() {
    if (h_) RegCloseKey(h_);
  }
  Key(const Key&) = delete;
  Key& operator=(const Key&) = delete;
  HKEY get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  HKEY h_ = nullptr;
};

// The members of one value: type, size, hex of the stored bytes and, by
// type, the string (up to the first terminator) with every stored
// character (`raw`), the dword, or the strings of a multi-string.
void ValueMembers(Obj& o, DWORD type, const vector<BYTE>& data, DWORD size) {
  o.Int("type", type).Int("size", size).Raw("hex", JsonString(FromUtf8(Hex(data.data(), size))));
  if (type == REG_SZ || type == REG_EXPAND_SZ) {
    wstring raw(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t));
    o.Str("raw", raw);
    o.Str("string", wstring(raw.c_str()));
  } else if (type == REG_DWORD && size == sizeof(DWORD)) {
    DWORD v = 0;
    memcpy(&v, data.data(), sizeof v);
    o.Int("dword", v);
  } else if (type == REG_MULTI_SZ) {
    o.Raw("strings", MultiJson(reinterpret_cast<const wchar_t*>(data.data()), size / sizeof(wchar_t)));
  }
}

// One value: whether key and value exist, then its members.
string RegValueJson(const wstring& path, const wstring& name, REGSAM view) {
  Key key(path, KEY_READ, view);
  Obj o;
  if (!key) return o.Bool("key", false).Bool("exists", false).Done();
  DWORD type = 0, size = 0;
  LONG rc = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, nullptr, &size);
  if (rc == ERROR_FILE_NOT_FOUND) return o.Bool("key", true).Bool("exists", false).Done();
  vector<BYTE> data(size + sizeof(wchar_t));
  if (rc == ERROR_SUCCESS)
    rc = RegQueryValueExW(key.get(), name.c_str(), nullptr, &type, data.data(), &size);
  if (rc != ERROR_SUCCESS) Fail("RegQueryValueEx failed, error " + std::to_string(rc));
  o.Bool("key", true).Bool("exists", true);
  ValueMembers(o, type, data, size);
  return o.Done();
}

// Every value of a key, in the order RegEnumValueW gives them.
string RegValuesJson(const wstring& path, REGSAM view, bool& exists) {
  Key key(path, KEY_READ, view);
  exists = static_cast<bool>(key);
  vector<string> items;
  if (!key) return JsonArray(items);
  DWORD maxName = 0, maxData = 0;
  LONG rc = RegQueryInfoKeyW(key.get(), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
                             nullptr, &maxName, &maxData, nullptr, nullptr);
  if (rc != ERROR_SUCCESS) Fail("RegQueryInfoKey failed, error " + std::to_string(rc));
  for (DWORD i = 0;; ++i) {
    vector<wchar_t> name(maxName + 2, L'\0');
    vector<BYTE> data(maxData + sizeof(wchar_t));
    DWORD nameChars = static_cast<DWORD>(name.size()), size = static_cast<DWORD>(data.size()), type = 0;
    rc = RegEnumValueW(key.get(), i, name.data(), &nameChars, nullptr, &type, data.data(), &size);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) Fail("RegEnumValue failed, error " + std::to_string(rc));
    Obj v;
    v.Str("name", wstring(name.data(), nameChars));
    ValueMembers(v, type, data, size);
    items.push_back(v.Done());
  }
  return JsonArray(items);
}

string RegKeysJson(const wstring& path, REGSAM view, bool& exists) {
  Key key(path, KEY_READ, view);
  exists = static_cast<bool>(key);
  vector<string> items;
  if (!key) return JsonArray(items);
  for (DWORD i = 0;; ++i) {
    wchar_t name[512] = {};
    DWORD chars = 512;
    LONG rc = RegEnumKeyExW(key.get(), i, name, &chars, nullptr, nullptr, nullptr, nullptr);
    if (rc == ERROR_NO_MORE_ITEMS) break;
    if (rc != ERROR_SUCCESS) Fail("RegEnumKeyEx failed, error " + std::to_string(rc));
    items.push_back(JsonString(wstring(name, chars)));
  }
  return JsonArray(items);
}

// regdelete <key> [value] [view]: the value, or without one the key with
// every sub-key. Answers whether something was there to delete.
bool RegDelete(const vector<wstring>& a) {
  const wstring& path = Need(a, 1, "key path");
  bool deleteKey = a.size() < 3 || a[2].empty();
  REGSAM view = ViewOf(a, 3);
  if (!deleteKey) {
    Key key(path, KEY_SET_VALUE, view);
    if (!key) return false;
    LONG rc = RegDeleteValueW(key.get(), a[2].c_str());
    if (rc == ERROR_FILE_NOT_FOUND) return false;
    if (rc != ERROR_SUCCESS) Fail("RegDeleteValue failed, error " + std::to_string(rc));
    return true;
  }
  size_t slash = path.find_last_of(L'\\');
  if (slash == wstring::npos) Fail("a key below a hive expected");
  Key parent(path.substr(0, slash), KEY_ALL_ACCESS, view);
  if (!parent) return false;
  LONG rc = RegDeleteTreeW(parent.get(), path.substr(slash + 1).c_str());
  if (rc == ERROR_FILE_NOT_FOUND) return false;
  if (rc != ERROR_SUCCESS) Fail("RegDeleteTree failed, error " + std::to_string(rc));
  return true;
}

// regcreate <key> <volatile|persistent> [view]: creates the key (with its
// missing parents) unless it exists; answers whether it was created. A
// volatile key refuses persistent sub-keys (ERROR_CHILD_MUST_BE_VOLATILE),
// which is how a test makes a registry branch refuse new entries.
bool RegCreate(const vector<wstring>& a) {
  const wstring& path = Need(a, 1, "key path");
  const wstring& kind = Need(a, 2, "volatile or persistent");
  if (kind != L"volatile" && kind != L"persistent") Fail("volatile or persistent expected");
  wstring subKey;
  HKEY hive = SplitHive(path, subKey);
  HKEY key = nullptr;
  DWORD disposition = 0;
  LONG rc = RegCreateKeyExW(hive, subKey.c_str(), 0, nullptr,
                            kind == L"volatile" ? REG_OPTION_VOLATILE : REG_OPTION_NON_VOLATILE,
                            KEY_ALL_ACCESS | ViewOf(a, 3), nullptr, &key, &disposition);
  if (rc != ERROR_SUCCESS) Fail("RegCreateKeyEx failed, error " + std::to_string(rc));
  RegCloseKey(key);
  return disposition == REG_CREATED_NEW_KEY;
}

// regsecure <key> <SDDL> [view]: replaces the key's access list, for
// fixtures in which a program may not change a key.
void RegSecure(const vector<wstring>& a) {
  const wstring& path = Need(a, 1, "key path");
  const wstring& sddl = Need(a, 2, "security descriptor (SDDL)");
  Key key(path, READ_CONTROL | WRITE_DAC, ViewOf(a, 3));
  if (!key) Fail("no key " + ToUtf8(path));
  PSECURITY_DESCRIPTOR sd = nullptr;
  if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(sddl.c_str(), SDDL_REVISION_1, &sd, nullptr))
    FailWin32("ConvertStringSecurityDescriptorToSecurityDescriptor");
  LONG rc = RegSetKeySecurity(key.get(), DACL_SECURITY_INFORMATION, sd);
  LocalFree(sd);
  if (rc != ERROR_SUCCESS) Fail("RegSetKeySecurity failed, error " + std::to_string(rc));
}

// ---------------------------------------------------------------- services

struct ScHandle {
  SC_HANDLE h;
  explicit ScHandle(SC_HANDLE handle) : h(handle) {}
  ~ScHandle() {
    if (h) CloseServiceHandle(h);
  }
  ScHandle(const ScHandle&) = delete;
  ScHandle& operator=(const ScHandle&) = delete;
};

string ServiceJson(const wstring& name) {
  ScHandle manager(OpenSCManagerW(nullptr, nullptr, SC_MANAGER_CONNECT));
  if (!manager.h) FailWin32("OpenSCManager");
  ScHandle service(OpenServiceW(manager.h, name.c_str(), SERVICE_QUERY_CONFIG | SERVICE_QUERY_STATUS));
  Obj o;
  if (!service.h) {
    DWORD err = GetLastError();
    if (err == ERROR_SERVICE_DOES_NOT_EXIST) return o.Bool("exists", false).Done();
    FailWin32("OpenService");
  }
  DWORD needed = 0;
  QueryServiceConfigW(service.h, nullptr, 0, &needed);
  vector<BYTE> buf(needed + 16);
  auto* config = reinterpret_cast<QUERY_SERVICE_CONFIGW*>(buf.data());
  if (!QueryServiceConfigW(service.h, config, static_cast<DWORD>(buf.size()), &needed))
    FailWin32("QueryServiceConfig");
  size_t depChars = 0;
  if (config->lpDependencies) {
    const wchar_t* p = config->lpDependencies;
    while (*p) p += wcslen(p) + 1;
    depChars = static_cast<size_t>(p - config->lpDependencies) + 1;
  }
  o.Bool("exists", true)
      .Int("type", config->dwServiceType)
      .Int("start", config->dwStartType)
      .Int("errorControl", config->dwErrorControl)
      .Str("binaryPath", Safe(config->lpBinaryPathName))
      .Str("loadOrderGroup", Safe(config->lpLoadOrderGroup))
      .Int("tag", config->dwTagId)
      .Raw("dependencies", MultiJson(config->lpDependencies, depChars))
      .Str("account", Safe(config->lpServiceStartName))
      .Str("displayName", Safe(config->lpDisplayName));

  needed = 0;
  QueryServiceConfig2W(service.h, SERVICE_CONFIG_DESCRIPTION, nullptr, 0, &needed);
  vector<BYTE> desc(needed + 16);
  if (QueryServiceConfig2W(service.h, SERVICE_CONFIG_DESCRIPTION, desc.data(),
                           static_cast<DWORD>(desc.size()), &needed)) {
    const auto* d = reinterpret_cast<const SERVICE_DESCRIPTIONW*>(desc.data());
    if (d->lpDescription) o.Str("description", d->lpDescription);
    else o.Raw("description", "null");
  } else {
    o.Raw("description", "null");
  }

  SERVICE_STATUS_PROCESS status = {};
  if (QueryServiceStatusEx(service.h, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status),
                           sizeof status, &needed))
    o.Int("state", status.dwCurrentState).Int("exitCode", status.dwWin32ExitCode).Int("pid",
                                                                                   status.dwProcessId);
  return o.Done();
}

// ---------------------------------------------------------------- shell

// COM for the shell's link object, once per process on this thread.
void NeedCom() {
  static bool done = false;
  if (done) return;
  HRESULT hr = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  if (FAILED(hr)) Fail("CoInitializeEx failed, " + std::to_string(static_cast<long>(hr)));
  done = true;
}

template <typename T>
struct ComPtr {
  T* p = nullptr;
  ~ComPtr() {
    if (p) p->Release();
  }
};

string ShortcutJson(const wstring& path) {
  Obj o;
  DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return o.Bool("exists", false).Done();
  NeedCom();
  ComPtr<IShellLinkW> link;
  HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                reinterpret_cast<void**>(&link.p));
  if (FAILED(hr)) Fail("CoCreateInstance(ShellLink) failed");
  ComPtr<IPersistFile> file;
  hr = link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p));
  if (FAILED(hr)) Fail("IPersistFile unavailable");
  hr = file.p->Load(path.c_str(), STGM_READ);
  if (FAILED(hr)) Fail("IPersistFile::Load failed, " + std::to_string(static_cast<long>(hr)));
  wchar_t target[1024] = {}, folder[1024] = {}, arguments[1024] = {}, description[1024] = {},
          icon[1024] = {};
  int iconIndex = 0, show = 0;
  link.p->GetPath(target, 1024, nullptr, SLGP_RAWPATH);
  link.p->GetWorkingDirectory(folder, 1024);
  link.p->GetArguments(arguments, 1024);
  link.p->GetDescription(description, 1024);
  link.p->GetIconLocation(icon, 1024, &iconIndex);
  link.p->GetShowCmd(&show);
  return o.Bool("exists", true)
      .Str("target", target)
      .Str("workingFolder", folder)
      .Str("arguments", arguments)
      .Str("description", description)
      .Str("icon", icon)
      .Int("iconIndex", iconIndex)
      .Int("showCommand", show)
      .Done();
}

// makeshortcut <link file> <target> <working folder>: a fixture link.
void MakeShortcut(const vector<wstring>& a) {
  const wstring& path = Need(a, 1, "link file path");
  const wstring& target = Need(a, 2, "target");
  const wstring& folder = Need(a, 3, "working folder");
  NeedCom();
  ComPtr<IShellLinkW> link;
  if (FAILED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                              reinterpret_cast<void**>(&link.p))))
    Fail("CoCreateInstance(ShellLink) failed");
  ComPtr<IPersistFile> file;
  if (FAILED(link.p->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file.p))))
    Fail("IPersistFile unavailable");
  if (FAILED(link.p->SetPath(target.c_str()))) Fail("SetPath failed");
  if (FAILED(link.p->SetWorkingDirectory(folder.c_str()))) Fail("SetWorkingDirectory failed");
  if (FAILED(file.p->Save(path.c_str(), TRUE))) Fail("IPersistFile::Save failed");
}

wstring DriverDirectory(const wchar_t* env) {
  wchar_t buf[MAX_PATH * 2] = {};
  DWORD needed = 0;
  if (!GetPrinterDriverDirectoryW(nullptr, const_cast<wchar_t*>(env), 1, reinterpret_cast<BYTE*>(buf),
                                  sizeof buf, &needed))
    FailWin32("GetPrinterDriverDirectory");
  return buf;
}

string FoldersJson() {
  wchar_t system[MAX_PATH] = {}, wow64[MAX_PATH] = {}, windows[MAX_PATH] = {}, startMenu[MAX_PATH] = {},
          commonStartMenu[MAX_PATH] = {};
  GetSystemDirectoryW(system, MAX_PATH);
  GetSystemWow64DirectoryW(wow64, MAX_PATH);
  GetWindowsDirectoryW(windows, MAX_PATH);
  SHGetFolderPathW(nullptr, CSIDL_STARTMENU, nullptr, SHGFP_TYPE_CURRENT, startMenu);
  SHGetFolderPathW(nullptr, CSIDL_COMMON_STARTMENU, nullptr, SHGFP_TYPE_CURRENT, commonStartMenu);
  return Obj()
      .Str("driverDirectory", DriverDirectory(nullptr))
      .Str("driverDirectoryX64", DriverDirectory(L"Windows x64"))
      .Str("driverDirectoryX86", DriverDirectory(L"Windows NT x86"))
      .Str("systemDirectory", system)
      .Str("systemWow64Directory", wow64)
      .Str("windowsDirectory", windows)
      .Str("startMenu", startMenu)
      .Str("commonStartMenu", commonStartMenu)
      .Done();
}

// ---------------------------------------------------------------- fixtures

// adddriver <name> <environment> <driver file> <data file> <config file>
void AddDriverFixture(const vector<wstring>& a) {
  wstring name = Need(a, 1, "driver name"), env = Need(a, 2, "environment"),
          driver = Need(a, 3, "driver file"), data = Need(a, 4, "data file"),
          config = Need(a, 5, "configuration file");
  DRIVER_INFO_2W info = {};
  info.cVersion = 3;
  info.pName = &name[0];
  info.pEnvironment = &env[0];
  info.pDriverPath = &driver[0];
  info.pDataFile = &data[0];
  info.pConfigFile = &config[0];
  if (!AddPrinterDriverW(nullptr, 2, reinterpret_cast<BYTE*>(&info))) FailWin32("AddPrinterDriver");
}

// addprinter <name> <driver> <port> [share] [attributes]
void AddPrinterFixture(const vector<wstring>& a) {
  wstring name = Need(a, 1, "printer name"), driver = Need(a, 2, "driver name"),
          port = Need(a, 3, "port name"), share = a.size() > 4 ? a[4] : wstring();
  long long attributes = a.size() > 5 ? NeedInt(a, 5, "attributes") : 0;
  PRINTER_INFO_2W info = {};
  info.pPrinterName = &name[0];
  info.pShareName = share.empty() ? nullptr : &share[0];
  info.pPortName = &port[0];
  info.pDriverName = &driver[0];
  info.pPrintProcessor = const_cast<wchar_t*>(L"WinPrint");
  info.pDatatype = const_cast<wchar_t*>(L"RAW");
  info.Attributes = static_cast<DWORD>(attributes);
  HANDLE h = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&info));
  if (!h) FailWin32("AddPrinter");
  ClosePrinter(h);
}

// setprinterdata <printer> <value> <type> <hex bytes>
void SetData(const vector<wstring>& a) {
  Printer p(Need(a, 1, "printer name"), PRINTER_ALL_ACCESS);
  wstring name = Need(a, 2, "value name");
  long long type = NeedInt(a, 3, "type");
  vector<BYTE> bytes = FromHex(Need(a, 4, "hex bytes"));
  DWORD rc = SetPrinterDataW(p.get(), &name[0], static_cast<DWORD>(type), bytes.data(),
                             static_cast<DWORD>(bytes.size()));
  if (rc != ERROR_SUCCESS) Fail("SetPrinterData failed, error " + std::to_string(rc));
}

}  // namespace

bool RunSystemCommand(const vector<wstring>& a, Obj& o) {
  const wstring& cmd = a[0];
  if (cmd == L"printers") {
    o.Raw("printers", PrintersJson());
  } else if (cmd == L"ports") {
    o.Raw("ports", PortsJson());
  } else if (cmd == L"monitors") {
    o.Raw("monitors", MonitorsJson());
  } else if (cmd == L"drivers") {
    // drivers [environment...]: both environments when none is named.
    vector<string> items;
    if (a.size() > 1) {
      for (size_t i = 1; i < a.size(); ++i) DriversOf(a[i], items);
    } else {
      DriversOf(L"Windows x64", items);
      DriversOf(L"Windows NT x86", items);
    }
    o.Raw("drivers", JsonArray(items));
  } else if (cmd == L"printerdata") {
    // printerdata <printer> [value]: every value, or one through GetPrinterDataW.
    const wstring& printer = Need(a, 1, "printer name");
    if (a.size() > 2) {
      o.Raw("value", PrinterDataGetJson(printer, a[2]));
    } else {
      string via;
      string values = PrinterDataJson(printer, via);
      o.Raw("values", values).Raw("via", JsonString(via.c_str()));
    }
  } else if (cmd == L"defaultprinter") {
    o.Raw("default", DefaultPrinterJson());
  } else if (cmd == L"rawjob") {
    o.Raw("job", SendRawJob(a));
  } else if (cmd == L"deleteprinter") {
    Printer p(Need(a, 1, "printer name"), PRINTER_ALL_ACCESS);
    if (!DeletePrinter(p.get())) FailWin32("DeletePrinter");
  } else if (cmd == L"adddriver") {
    AddDriverFixture(a);
  } else if (cmd == L"addprinter") {
    AddPrinterFixture(a);
  } else if (cmd == L"setprinterdata") {
    SetData(a);
  } else if (cmd == L"setdefault") {
    if (!SetDefaultPrinterW(Need(a, 1, "printer name").c_str())) FailWin32("SetDefaultPrinter");
  } else if (cmd == L"regget") {
    // regget <HKLM\path|HKCU\path> <value name> [64|32]
    o.Raw("value", RegValueJson(Need(a, 1, "key path"), Need(a, 2, "value name"), ViewOf(a, 3)));
  } else if (cmd == L"regvalues") {
    // regvalues <key> [64|32]: every value in enumeration order.
    bool exists = false;
    string values = RegValuesJson(Need(a, 1, "key path"), ViewOf(a, 2), exists);
    o.Bool("key", exists).Raw("values", values);
  } else if (cmd == L"regkeys") {
    bool exists = false;
    string keys = RegKeysJson(Need(a, 1, "key path"), ViewOf(a, 2), exists);
    o.Bool("key", exists).Raw("keys", keys);
  } else if (cmd == L"regdelete") {
    o.Bool("deleted", RegDelete(a));
  } else if (cmd == L"regcreate") {
    o.Bool("created", RegCreate(a));
  } else if (cmd == L"regsecure") {
    RegSecure(a);
  } else if (cmd == L"service") {
    o.Raw("service", ServiceJson(Need(a, 1, "service name")));
  } else if (cmd == L"shortcut") {
    o.Raw("shortcut", ShortcutJson(Need(a, 1, "link file path")));
  } else if (cmd == L"makeshortcut") {
    MakeShortcut(a);
  } else if (cmd == L"folders") {
    o.Raw("folders", FoldersJson());
  } else {
    return false;
  }
  return true;
}

}  // namespace wd
