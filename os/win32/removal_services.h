// Win32 implementations of the services the uninstaller removes through.
#pragma once

#include "os/file_removal.h"
#include "os/registry_admin.h"
#include "os/service_admin.h"
#include "os/spooler_admin.h"

namespace oswin {

// winspool.drv is loaded by full path from the system folder on first use;
// without it every call fails with ERROR_CALL_NOT_IMPLEMENTED.
class SpoolerAdmin : public os::SpoolerAdmin {
public:
    bool Printers(std::vector<os::InstalledPrinter>* printers) override;
    bool Drivers(const core::u16& environment, std::vector<os::InstalledDriver>* drivers) override;
    bool Ports(std::vector<os::InstalledPort>* ports) override;
    bool Monitors(std::vector<os::InstalledMonitor>* monitors) override;
    core::u16 DriverDirectory(const core::u16& environment) override;
    std::uint32_t DeletePrinter(const core::u16& name) override;
    std::uint32_t DeleteDriver(const core::u16& name, const core::u16& environment, std::uint32_t flags) override;
    std::uint32_t DeletePort(const core::u16& name) override;
    std::uint32_t DeleteMonitor(const core::u16& name, const core::u16& environment) override;
};

class RegistryAdmin : public os::RegistryAdmin {
public:
    bool KeyExists(os::RegistryView view, const core::u16& path) override;
    bool ReadString(os::RegistryView view, const core::u16& path, const core::u16& name, core::u16* value) override;
    std::uint32_t DeleteKeyTree(os::RegistryView view, const core::u16& path) override;
    std::uint32_t SetString(os::RegistryView view, const core::u16& path, const core::u16& name,
                            const core::u16& value) override;
    std::uint32_t DeleteValue(os::RegistryView view, const core::u16& path, const core::u16& name) override;
};

class ServiceAdmin : public os::ServiceAdmin {
public:
    bool Query(const core::u16& name, os::ServiceStatus* status, std::uint32_t* error) override;
    std::uint32_t Stop(const core::u16& name, std::uint32_t timeoutMs) override;
    std::uint32_t Delete(const core::u16& name) override;
    std::uint32_t MoveProgram(const core::u16& name, const core::u16& imagePath, bool start) override;
};

// In a 32-bit process on 64-bit Windows every call runs with file-system
// redirection switched off for the calling thread, so "system32" is the
// folder the installer wrote to with redirection off as well.
class FileRemoval : public os::FileRemoval {
public:
    os::PathKind Kind(const core::u16& path) override;
    bool List(const core::u16& folder, std::vector<os::FolderEntry>* entries) override;
    std::uint32_t DeleteFile(const core::u16& path) override;
    std::uint32_t RemoveFolder(const core::u16& path) override;
    std::uint32_t RenameAside(const core::u16& path, core::u16* aside) override;
    std::uint32_t DeleteAtRestart(const core::u16& path) override;
};

}  // namespace oswin
