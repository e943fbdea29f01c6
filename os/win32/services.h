// Win32 implementations of the OS service interfaces.
#pragma once

#include "os/device_setup.h"
#include "os/files.h"
#include "os/log_file.h"
#include "os/profile.h"
#include "os/registry.h"
#include "os/service_manager.h"
#include "os/shell.h"
#include "os/spooler.h"
#include "os/system.h"

namespace oswin {

// Wide paths throughout (CreateFileW & co.), so any folder name works.
class FileSystem : public os::FileSystem {
public:
    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override;
    std::unique_ptr<os::InputFile> OpenForRead(const core::u16& path) override;
    bool ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) override;
    bool CopyFileReplacing(const core::u16& source, const core::u16& target) override;
    bool RemoveFile(const core::u16& path) override;
    bool FileExists(const core::u16& path) override;
    bool DirectoryExists(const core::u16& path) override;
    bool MakeDirectory(const core::u16& path) override;
    bool ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) override;
};

class ProfileReader : public os::ProfileReader {
public:
    core::u16 ReadString(const core::u16& path, const core::u16& section, const core::u16& key,
                         const core::u16& fallback, std::size_t capacity) override;
};

class ProfileWriter : public os::ProfileWriter {
public:
    bool WriteString(const core::u16& path, const core::u16& section, const core::u16& key,
                     const core::u16& value) override;
};

class Shell : public os::Shell {
public:
    core::u16 PersonalFolder() override;
    core::u16 StartMenuFolder() override;
    core::u16 ExpandEnvironment(const core::u16& text, std::size_t capacity) override;
    os::ShortcutResult CreateShortcut(const core::u16& target, const core::u16& workingFolder,
                                      const core::u16& linkPath) override;
};

class Registry : public os::Registry {
public:
    std::unique_ptr<os::RegistryKey> OpenForRead(std::string_view path) override;
    std::unique_ptr<os::RegistryKey> CreateKey(const core::u16& path) override;
    std::unique_ptr<os::RegistryKey> CreateKey(const core::u16& path, os::RegistryView view) override;
    std::unique_ptr<os::RegistryKey> OpenForWrite(const core::u16& path, os::RegistryView view) override;
};

class DeviceSetup : public os::DeviceSetup {
public:
    std::vector<core::u16> PresentUsbPrinterPaths() override;
};

class LogSink : public os::LogSink {
public:
    bool AppendToLog(const core::u16& path, std::string_view bytes) override;
};

// winspool.drv is not a KnownDLL: it is loaded by full path from the system
// folder on first use. Every call fails cleanly when it cannot be loaded.
class Spooler : public os::Spooler {
public:
    os::PortEnumResult EnumeratePorts(std::vector<os::PortRecord>* ports) override;
    bool EnumerateLocalPrinters(std::vector<os::PrinterRecord>* printers) override;
    bool AddPort(os::WindowHandle owner, const core::u16& monitorName) override;
    bool DeletePort(os::WindowHandle owner, const core::u16& portName) override;
    bool ConfigurePort(os::WindowHandle owner, const core::u16& portName) override;
    bool PrinterDriverDirectory(core::u16* directory, std::uint32_t* error) override;
    std::uint32_t AddMonitor(const core::u16& name, const core::u16& environment,
                             const core::u16& dllPath) override;
    os::AddPortExResult AddPortEx(const core::u16& portName, const core::u16& monitorName,
                                  std::uint32_t* error) override;
    std::uint32_t AddPrinterDriver(const os::DriverInfo& driver) override;
    std::unique_ptr<os::PrinterHandle> AddPrinter(const os::PrinterInfo& printer, std::uint32_t* error) override;
    bool SetDefaultPrinter(const core::u16& printerName) override;
};

// OpenSCManagerW / CreateServiceW / ChangeServiceConfig2W / StartServiceW
// (advapi32).
class ServiceManager : public os::ServiceManager {
public:
    std::unique_ptr<os::ServiceManagerSession> Open() override;
};

// The kernel32 functions that older systems lack (IsWow64Process, the
// redirection pair) are looked up at run time.
class SystemInfo : public os::SystemInfo {
public:
    core::u16 SystemDirectory() override;
    bool IsRunningOnWow64() override;
    std::unique_ptr<os::RedirectionScope> DisableRedirection() override;
    core::u16 ModulePath() override;
};

class CodePage : public os::CodePage {
public:
    core::u16 ToWide(std::string_view ansi) override;
    std::string ToAnsi(core::u16view wide, bool* lossless) override;
};

// Process-wide instances.
FileSystem& Files();
ProfileReader& Profiles();
Shell& ShellFolders();
Registry& SystemRegistry();
DeviceSetup& Devices();
LogSink& Logs();
Spooler& PrintSpooler();
ProfileWriter& ProfileWrites();
ServiceManager& Services();
SystemInfo& System();
CodePage& AnsiCodePage();

// core::u16 <-> wchar_t views (same size and representation on Windows).
inline const wchar_t* W(const core::u16& s) { return reinterpret_cast<const wchar_t*>(s.c_str()); }
inline core::u16 U16(const wchar_t* s) { return core::u16(reinterpret_cast<const char16_t*>(s)); }
inline core::u16 U16(const std::wstring& s) {
    return core::u16(reinterpret_cast<const char16_t*>(s.data()), s.size());
}
inline std::wstring Wide(const core::u16& s) { return std::wstring(reinterpret_cast<const wchar_t*>(s.data()), s.size()); }

}  // namespace oswin
