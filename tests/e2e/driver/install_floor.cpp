// install_floor: the least work an installation of one printer takes, as
// direct system calls with nothing around them. It makes the same file,
// spooler, registry, shell and service calls as the installer's 64-bit
// installation (deployment as plain copies of the already inflated members,
// the install folder and its "Inf" folder, the Start-menu folder and the
// uninstall shortcut, the GPC data file, the driver files into the spooler's
// directories and the monitor files into the system directory, the port
// check, driver, uniqueness pass, printer, five printer data values, default
// printer, product key, "Uninstall.ini", uninstall entry, run-once value,
// service), so that the installer's time can be set beside it.
//
//   install_floor <members folder> <install folder> <printer name> <port>
//                 <Start-menu folder> <GPC file to write>
//
// Prints one JSON line: {"ok":true,"ms":N} with the time of the calls, or
// {"ok":false,"error":"..."}. The spooler is loaded into the process before
// the clock starts, as the installer has it loaded by its wizard.
#include <windows.h>
#include <objbase.h>
#include <shlobj.h>
#include <shobjidl.h>
#include <winspool.h>

#include <cstdio>
#include <string>
#include <vector>

namespace {

using std::wstring;

struct Failure {
  std::string what;
  DWORD error;
};

[[noreturn]] void Fail(const char* what, DWORD error = GetLastError()) { throw Failure{what, error}; }

void Check(bool ok, const char* what) {
  if (!ok) Fail(what);
}

std::vector<wstring> FilesIn(const wstring& folder) {
  std::vector<wstring> names;
  WIN32_FIND_DATAW data;
  HANDLE find = FindFirstFileW((folder + L"\\*").c_str(), &data);
  Check(find != INVALID_HANDLE_VALUE, "FindFirstFile");
  do {
    if (!(data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) names.push_back(data.cFileName);
  } while (FindNextFileW(find, &data));
  FindClose(find);
  return names;
}

std::vector<BYTE> ReadAll(const wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "open the GPC source");
  std::vector<BYTE> bytes(GetFileSize(file, nullptr));
  DWORD got = 0;
  BOOL ok = ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &got, nullptr);
  CloseHandle(file);
  Check(ok && got == bytes.size(), "read the GPC source");
  return bytes;
}

void WriteAll(const wstring& path, const std::vector<BYTE>& bytes) {
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  Check(file != INVALID_HANDLE_VALUE, "create the GPC file");
  DWORD done = 0;
  WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &done, nullptr);
  CloseHandle(file);
}

void SetSz(HKEY key, const wchar_t* name, const wstring& value) {
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
}

void Shortcut(const wstring& target, const wstring& link) {
  if (CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED) != S_OK) return;
  IShellLinkW* shell = nullptr;
  IPersistFile* file = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&shell))) &&
      SUCCEEDED(shell->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
    shell->SetPath(target.c_str());
    shell->SetWorkingDirectory(target.substr(0, target.find_last_of(L'\\')).c_str());
    file->Save(link.c_str(), TRUE);
  }
  if (file) file->Release();
  if (shell) shell->Release();
  CoUninitialize();
}

bool PortExists(const wstring& port) {
  DWORD needed = 0, count = 0;
  if (EnumPortsW(nullptr, 2, nullptr, 0, &needed, &count) || GetLastError() != ERROR_INSUFFICIENT_BUFFER)
    return false;
  std::vector<BYTE> buffer(needed + 16);
  if (!EnumPortsW(nullptr, 2, buffer.data(), needed, &needed, &count)) return false;
  const auto* ports = reinterpret_cast<const PORT_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (port == ports[i].pPortName) return true;
  return false;
}

bool PrinterListed(const wstring& name) {
  DWORD needed = 0, count = 0;
  EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, nullptr, 0, &needed, &count);
  if (!needed) return false;
  std::vector<BYTE> buffer(needed + 4);
  if (!EnumPrintersW(PRINTER_ENUM_LOCAL | PRINTER_ENUM_CONNECTIONS, nullptr, 2, buffer.data(), needed, &needed,
                     &count))
    return false;
  const auto* printers = reinterpret_cast<const PRINTER_INFO_2W*>(buffer.data());
  for (DWORD i = 0; i < count; ++i)
    if (name == printers[i].pPrinterName) return true;
  return false;
}

void Install(const wstring& members, const wstring& install, const wstring& name, const wstring& port,
             const wstring& startMenu, const std::vector<BYTE>& gpc) {
  // Install folder, "Inf", deployment.
  Check(CreateDirectoryW(install.c_str(), nullptr) || GetLastError() == ERROR_ALREADY_EXISTS, "install folder");
  CreateDirectoryW((install + L"\\Inf").c_str(), nullptr);
  for (const wstring& file : FilesIn(members))
    Check(CopyFileW((members + L"\\" + file).c_str(), (install + L"\\" + file).c_str(), FALSE), "deploy");
  DeleteFileW((install + L"\\InstallConfig.txt").c_str());
  DeleteFileW((install + L"\\logo.bmp").c_str());

  // Start-menu folder and the uninstall shortcut.
  const wstring menu = startMenu + L"\\" + name + L" Driver";
  CreateDirectoryW(menu.c_str(), nullptr);
  const wstring link = menu + L"\\Uninstall Printer Driver.lnk";
  const wstring uninstaller = install + L"\\Uninstaller.exe";
  Shortcut(uninstaller, link);

  // GPC data file and the driver files.
  wchar_t driverDir[MAX_PATH] = {};
  DWORD needed = 0;
  Check(GetPrinterDriverDirectoryW(nullptr, nullptr, 1, reinterpret_cast<BYTE*>(driverDir), sizeof driverDir,
                                   &needed),
        "GetPrinterDriverDirectory");
  const wstring d = driverDir;
  WriteAll(d + L"\\" + name + L"GPC.pcd", gpc);
  for (const wchar_t* support : {L"CHISMPL.DLL", L"CHITRAD.DLL", L"ENGLISH.DLL", L"Image.dll"})
    CopyFileW((install + L"\\" + support + L".x64").c_str(), (d + L"\\3\\" + support).c_str(), FALSE);
  struct Moved {
    const wchar_t* source;
    wstring target;
  };
  wchar_t systemDir[MAX_PATH] = {};
  GetSystemDirectoryW(systemDir, MAX_PATH);
  const wstring s = systemDir;
  const Moved driverFiles[] = {{L"plotui.dll", d + L"\\" + name + L"UI.dll"},
                               {L"plotter.dll", d + L"\\" + name + L"Drv.dll"}};
  for (const Moved& m : driverFiles) {
    CopyFileW((install + L"\\" + m.source + L".x64").c_str(), m.target.c_str(), FALSE);
    DeleteFileW((install + L"\\" + m.source + L".x64").c_str());
    DeleteFileW((install + L"\\" + m.source).c_str());
  }
  const Moved monitorFiles[] = {{L"Rad80PrinterMon.dll", s + L"\\" + name + L"Mon.dll"},
                                {L"Rad80PrinterMonUI.dll", s + L"\\" + name + L"MonUI.dll"}};
  for (const Moved& m : monitorFiles) {
    CopyFileW((install + L"\\" + m.source + L".x64").c_str(), m.target.c_str(), FALSE);
    DeleteFileW((install + L"\\" + m.source + L".x64").c_str());
  }

  // Port, driver, printer, printer data, default printer.
  Check(PortExists(port), "the port is not listed");
  wstring driverName = name + L" Driver", env = L"Windows x64", driverFile = name + L"Drv.dll",
          dataFile = name + L"GPC.pcd", configFile = name + L"UI.dll";
  DRIVER_INFO_2W driver = {2, &driverName[0], &env[0], &driverFile[0], &dataFile[0], &configFile[0]};
  Check(AddPrinterDriverW(nullptr, 2, reinterpret_cast<BYTE*>(&driver)), "AddPrinterDriver");
  Check(!PrinterListed(name), "the printer exists already");
  wstring printerName = name, portName = port, empty, processor = L"WinPrint", datatype = L"RAW";
  PRINTER_INFO_2W printer = {};
  printer.pPrinterName = &printerName[0];
  printer.pShareName = &printerName[0];
  printer.pPortName = &portName[0];
  printer.pDriverName = &driverName[0];
  printer.pSepFile = &empty[0];
  printer.pPrintProcessor = &processor[0];
  printer.pDatatype = &datatype[0];
  printer.pParameters = &empty[0];
  printer.Attributes = PRINTER_ATTRIBUTE_DEFAULT;
  HANDLE handle = AddPrinterW(nullptr, 2, reinterpret_cast<BYTE*>(&printer));
  Check(handle != nullptr, "AddPrinter");
  const wchar_t noText[] = L"";
  const wchar_t vidPid[] = L"vid_4C50&pid_0201";
  const wchar_t userForm[] = L"1040 1500 0 0";
  DWORD width = 832;
  const BYTE language[4] = {0x09, 0x04, 0x00, 0x00};
  SetPrinterDataW(handle, const_cast<wchar_t*>(L"DevicePath"), REG_SZ, (BYTE*)noText, sizeof noText);
  SetPrinterDataW(handle, const_cast<wchar_t*>(L"VidAndPid"), REG_SZ, (BYTE*)vidPid, sizeof vidPid);
  SetPrinterDataW(handle, const_cast<wchar_t*>(L"PrintWidth"), REG_DWORD, (BYTE*)&width, sizeof width);
  SetPrinterDataW(handle, const_cast<wchar_t*>(L"UserForm"), REG_SZ, (BYTE*)userForm, sizeof userForm);
  SetPrinterDataW(handle, const_cast<wchar_t*>(L"Language"), REG_SZ, const_cast<BYTE*>(language), 4);
  ClosePrinter(handle);
  SetDefaultPrinterW(name.c_str());

  // Product key, Uninstall.ini, uninstall entry, run-once value.
  HKEY key = nullptr;
  Check(RegCreateKeyExW(HKEY_LOCAL_MACHINE, (L"SOFTWARE\\" + name).c_str(), 0, nullptr, 0,
                        KEY_ALL_ACCESS | KEY_WOW64_64KEY, nullptr, &key, nullptr) == ERROR_SUCCESS,
        "product key");
  const wstring chosen = install.substr(0, install.find_last_of(L'\\'));
  SetSz(key, L"Data Directory", chosen);
  SetSz(key, L"Program Directory", install);
  SetSz(key, L"Language", L"English");
  SetSz(key, L"PrinterName", name);
  SetSz(key, L"StartMenuDir", menu);
  SetSz(key, L"Uninstaller", link);
  SetSz(key, L"PrinterDriver", driverName);
  SetSz(key, L"MonitorName", L"Label USB Printer Monitor");
  SetSz(key, L"PortName", port);
  RegCloseKey(key);
  const wstring ini = install + L"\\Uninstall.ini";
  WritePrivateProfileStringW(L"Print Settings", L"PrinterName", name.c_str(), ini.c_str());
  WritePrivateProfileStringW(L"Print Settings", L"ServiceName", L"TarnelPrinter Service", ini.c_str());
  if (RegCreateKeyExW(HKEY_LOCAL_MACHINE,
                      (L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\" + name).c_str(), 0, nullptr,
                      0, KEY_ALL_ACCESS, nullptr, &key, nullptr) == ERROR_SUCCESS) {
    SetSz(key, L"DisplayIcon", uninstaller);
    SetSz(key, L"DisplayName", name);
    SetSz(key, L"DisplayVersion", L"1.2.1");
    SetSz(key, L"InstallLocation", install);
    SetSz(key, L"Publisher", L"Quorvane");
    SetSz(key, L"UninstallString", uninstaller);
    SetSz(key, L"VersionMajor", L"1");
    SetSz(key, L"VersionMinor", L"2");
    RegCloseKey(key);
  }
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\RunOnce", 0,
                    KEY_READ | KEY_SET_VALUE | KEY_CREATE_SUB_KEY, &key) == ERROR_SUCCESS) {
    RegDeleteValueW(key, L"OzrUninstaller");
    RegCloseKey(key);
  }

  // The service: created, described, started.
  SC_HANDLE manager = OpenSCManagerW(nullptr, nullptr, SC_MANAGER_ALL_ACCESS);
  Check(manager != nullptr, "OpenSCManager");
  const wstring path = L"\"" + install + L"\\VorskPrinterService.exe\"";
  SC_HANDLE service = CreateServiceW(manager, L"TarnelPrinter Service", L"TarnelPrinter Service", SERVICE_ALL_ACCESS,
                                     SERVICE_WIN32_OWN_PROCESS | SERVICE_INTERACTIVE_PROCESS, SERVICE_AUTO_START,
                                     SERVICE_ERROR_NORMAL, path.c_str(), nullptr, nullptr, L"\0", nullptr, nullptr);
  if (service) {
    SERVICE_DESCRIPTIONW description = {const_cast<wchar_t*>(L"TarnelPrinter Printer Monitor")};
    ChangeServiceConfig2W(service, SERVICE_CONFIG_DESCRIPTION, &description);
    StartServiceW(service, 0, nullptr);
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  if (argc != 7) {
    std::printf("{\"ok\":false,\"error\":\"usage: install_floor <members> <install> <printer> <port> "
                "<start menu> <gpc>\"}\n");
    return 2;
  }
  try {
    const std::vector<BYTE> gpc = ReadAll(argv[6]);
    PortExists(argv[4]);  // loads the spooler, as the wizard has it loaded
    LARGE_INTEGER frequency, start, end;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    Install(argv[1], argv[2], argv[3], argv[4], argv[5], gpc);
    QueryPerformanceCounter(&end);
    const double ms = static_cast<double>(end.QuadPart - start.QuadPart) * 1000.0 /
                      static_cast<double>(frequency.QuadPart);
    std::printf("{\"ok\":true,\"ms\":%.0f}\n", ms);
    return 0;
  } catch (const Failure& f) {
    std::printf("{\"ok\":false,\"error\":\"%s failed, error %lu\"}\n", f.what.c_str(), f.error);
    return 1;
  }
}
