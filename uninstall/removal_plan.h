// The plan of removals for one installation.
//
// Planning reads the installation's records and what the system holds now
// (printers, drivers, ports, monitors, the service, files and keys), checks
// every name and path before use, and lists the removals in an order that
// works: printer, driver, the driver's files, port and monitor (32-bit
// Windows), the monitor's files, the shared parts when no other printer of
// this product remains, the install folder's contents, and last the records
// (product key, uninstall entry, Start-menu shortcut and folder,
// "Uninstall.ini"). What exists but may not be removed is listed as kept,
// with the reason. Missing pieces get no step.
//
// Other printers of this product are recognised by their drivers: a driver
// named "<X> Driver" whose driver, configuration and data files are
// "<X>Drv.dll", "<X>UI.dll" and "<X>GPC.pcd" was installed by this product
// for the printer X. While such a driver (other than the one being removed)
// is installed, in either environment, the support libraries in the driver
// directory's "3" folder and the printer service stay; if the service's
// program lies in the install folder being removed, the service is moved to
// the program in another installation's folder (from its product key).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/text.h"
#include "os/file_removal.h"
#include "os/registry_admin.h"
#include "os/service_admin.h"
#include "os/spooler_admin.h"
#include "uninstall/installation.h"

namespace uninstall {

inline constexpr char16_t kEnvironmentX86[] = u"Windows NT x86";
inline constexpr char16_t kEnvironmentX64[] = u"Windows x64";
inline constexpr char16_t kServiceName[] = u"TarnelPrinter Service";
inline constexpr char16_t kServiceProgram[] = u"VorskPrinterService.exe";
inline constexpr char16_t kRunOnceValue[] = u"OzrUninstaller";
// The support libraries every printer of this product shares ("3" folder).
inline constexpr const char16_t* kSupportFiles[] = {u"CHISMPL.DLL", u"CHITRAD.DLL", u"ENGLISH.DLL", u"Image.dll"};

// What the running system is, gathered by the program before planning.
struct SystemFacts {
    bool windows32 = false;            // 32-bit Windows: a monitor and a port were registered
    core::u16 driverDirectory;         // the spooler's driver directory for this process (installer's copies)
    core::u16 driverStore;             // the driver directory of the running Windows' environment
    core::u16 systemDirectory;
    std::vector<core::u16> startMenuRoots;    // the Start-menu folders a shortcut may lie in
    std::vector<core::u16> protectedFolders;  // never removed, nor any folder above them
};

// The environment the installation registered its driver for.
inline const char16_t* DriverEnvironment(const SystemFacts& facts) {
    return facts.windows32 ? kEnvironmentX86 : kEnvironmentX64;
}

struct RemovalServices {
    os::SpoolerAdmin& spooler;
    os::RegistryAdmin& registry;
    os::ServiceAdmin& services;
    os::FileRemoval& files;
};

enum class StepKind {
    kDeletePrinter,  // target: printer name
    kDeleteDriver,   // target: driver name; detail: environment
    kDeletePort,     // target: port name
    kDeleteMonitor,  // target: monitor name; detail: environment
    kDeleteService,  // target: service name (stopped first)
    kMoveService,    // target: service name; detail: the new program path, quoted
    kDeleteFile,     // target: path (a file, or a link to one)
    kRemoveFolder,   // target: path (an empty folder, or a link to one)
    kDeleteKey,      // target: key path in `view`, with everything below it
    kDeleteValue,    // target: key path in `view`; detail: value name
};

struct Step {
    StepKind kind;
    core::u16 target;
    core::u16 detail;
    os::RegistryView view = os::RegistryView::k64Bit;
    std::vector<std::size_t> after;  // steps that must have been carried out first
    bool record = false;             // kept for the finishing run while a restart is pending
};

enum class ItemKind { kPrinter, kDriver, kPort, kMonitor, kService, kFile, kFolder, kRegistryKey };

enum class KeepReason {
    kOtherDriver,        // the printer uses a driver the installation did not record
    kUsedByPrinter,      // another printer uses it (detail: that printer)
    kNotNamedAsOurs,     // its files or name do not follow the installation's naming
    kOutsideFolders,     // its path is not within the folders the installation wrote to
    kProtectedFolder,    // a system or user folder
    kOtherInstallation,  // recorded for another installation (detail: its folder)
    kServiceStaysHere,   // the service of the remaining printers runs this program
    kUnavailable,        // its state could not be read
};

struct Kept {
    ItemKind kind;
    core::u16 name;
    KeepReason reason;
    core::u16 detail;
};

struct RemovalPlan {
    std::vector<Step> steps;
    std::vector<Kept> kept;
    // Printers of this product that remain, and the shared parts kept for
    // them (files by path, the service by name).
    std::vector<core::u16> otherPrinters;
    std::vector<core::u16> sharedKept;
    // Something of the installation exists besides the program's own folder.
    bool found = false;
    // Removed with the running program once it has ended (empty: not).
    core::u16 installFolder;
    // Removed after the install folder when it is then empty (empty: not).
    core::u16 dataFolder;
    // The run-once command that finishes the removal after a restart.
    core::u16 runOnceCommand;
};

RemovalPlan PlanRemoval(const Installation& installation, const SystemFacts& facts, RemovalServices& services);

// True when `folder` is a drive root, one of `protectedFolders`, or lies
// above one of them.
bool IsProtectedFolder(core::u16view folder, const std::vector<core::u16>& protectedFolders);

}  // namespace uninstall
