#include "fakes/fake_removal_system.h"

#include <algorithm>

namespace fakes {

namespace {

std::string Utf8(const core::u16& text) { return core::Utf16ToUtf8(text); }

std::string ParentKey(const std::string& key) {
    const std::size_t cut = key.rfind('\\');
    if (cut == std::string::npos || key.size() <= 3) return std::string();
    return key.substr(0, cut == 2 ? 3 : cut);  // "c:\a" -> "c:\"
}

const char* KindName(os::PathKind kind) {
    switch (kind) {
        case os::PathKind::kFile: return "file";
        case os::PathKind::kFolder: return "folder";
        case os::PathKind::kFileLink: return "file-link";
        case os::PathKind::kFolderLink: return "folder-link";
        case os::PathKind::kMissing: return "missing";
    }
    return "?";
}

}  // namespace

std::string Fold(const core::u16& text) {
    core::u16 folded = text;
    for (auto& c : folded) c = core::AsciiLower(c);
    while (folded.size() > 3 && folded.back() == u'\\') folded.pop_back();
    return Utf8(folded);
}

// ---------------------------------------------------------------- spooler

bool FakeSpoolerAdmin::Printers(std::vector<os::InstalledPrinter>* out) {
    out->clear();
    if (listingFails) return false;
    *out = printers;
    return true;
}

bool FakeSpoolerAdmin::Drivers(const core::u16& environment, std::vector<os::InstalledDriver>* out) {
    out->clear();
    if (listingFails) return false;
    for (const auto& [env, list] : drivers)
        if (core::EqualsNoCase(env, environment)) *out = list;
    return true;
}

bool FakeSpoolerAdmin::Ports(std::vector<os::InstalledPort>* out) {
    out->clear();
    if (listingFails) return false;
    *out = ports;
    return true;
}

bool FakeSpoolerAdmin::Monitors(std::vector<os::InstalledMonitor>* out) {
    out->clear();
    if (listingFails) return false;
    *out = monitors;
    return true;
}

core::u16 FakeSpoolerAdmin::DriverDirectory(const core::u16& environment) {
    const auto it = directories.find(environment);
    return it == directories.end() ? core::u16() : it->second;
}

std::uint32_t FakeSpoolerAdmin::DeletePrinter(const core::u16& name) {
    journal_.push_back("DeletePrinter " + Utf8(name));
    if (failPrinters.count(Fold(name))) return os::kErrorAccessDenied;
    const auto it = std::find_if(printers.begin(), printers.end(),
                                 [&](const os::InstalledPrinter& p) { return core::EqualsNoCase(p.name, name); });
    if (it == printers.end()) return os::kErrorInvalidPrinterName;
    printers.erase(it);
    return 0;
}

std::uint32_t FakeSpoolerAdmin::DeleteDriver(const core::u16& name, const core::u16& environment,
                                             std::uint32_t flags) {
    journal_.push_back("DeleteDriver " + Utf8(name) + " [" + Utf8(environment) + "]");
    if (flags != 0 && flagsRefused) return os::kErrorInvalidParameter;
    for (auto& [env, list] : drivers) {
        if (!core::EqualsNoCase(env, environment)) continue;
        const auto it = std::find_if(list.begin(), list.end(),
                                     [&](const os::InstalledDriver& d) { return core::EqualsNoCase(d.name, name); });
        if (it == list.end()) break;
        const bool used = std::any_of(printers.begin(), printers.end(),
                                      [&](const os::InstalledPrinter& p) { return core::EqualsNoCase(p.driver, name); });
        if (used || heldDrivers.count(Fold(name))) return os::kErrorPrinterDriverInUse;
        list.erase(it);
        return 0;
    }
    return os::kErrorUnknownPrinterDriver;
}

std::uint32_t FakeSpoolerAdmin::DeletePort(const core::u16& name) {
    journal_.push_back("DeletePort " + Utf8(name));
    const auto it = std::find_if(ports.begin(), ports.end(),
                                 [&](const os::InstalledPort& p) { return core::EqualsNoCase(p.name, name); });
    if (it == ports.end()) return os::kErrorUnknownPort;
    ports.erase(it);
    return 0;
}

std::uint32_t FakeSpoolerAdmin::DeleteMonitor(const core::u16& name, const core::u16& environment) {
    journal_.push_back("DeleteMonitor " + Utf8(name) + " [" + Utf8(environment) + "]");
    const auto it = std::find_if(monitors.begin(), monitors.end(),
                                 [&](const os::InstalledMonitor& m) { return core::EqualsNoCase(m.name, name); });
    if (it == monitors.end()) return os::kErrorUnknownPrintMonitor;
    const bool used = std::any_of(ports.begin(), ports.end(),
                                  [&](const os::InstalledPort& p) { return core::EqualsNoCase(p.monitor, name); });
    if (used) return os::kErrorPrintMonitorInUse;
    monitors.erase(it);
    return 0;
}

// ---------------------------------------------------------------- registry

std::string FakeRegistryAdmin::Id(os::RegistryView view, const core::u16& path) {
    return (view == os::RegistryView::k64Bit ? "64:" : "def:") + Fold(path);
}

void FakeRegistryAdmin::AddKey(os::RegistryView view, const core::u16& path) { keys_[Id(view, path)]; }

void FakeRegistryAdmin::SetValue(os::RegistryView view, const core::u16& path, const core::u16& name,
                                 const core::u16& value) {
    keys_[Id(view, path)].values[Fold(name)] = {name, value};
}

std::vector<std::string> FakeRegistryAdmin::Dump() const {
    std::vector<std::string> out;
    for (const auto& [id, key] : keys_) {
        out.push_back(id);
        for (const auto& [folded, nv] : key.values) out.push_back(id + " | " + Utf8(nv.first) + "=" + Utf8(nv.second));
    }
    return out;
}

bool FakeRegistryAdmin::KeyExists(os::RegistryView view, const core::u16& path) {
    return keys_.count(Id(view, path)) != 0;
}

bool FakeRegistryAdmin::ReadString(os::RegistryView view, const core::u16& path, const core::u16& name,
                                   core::u16* value) {
    value->clear();
    const auto key = keys_.find(Id(view, path));
    if (key == keys_.end()) return false;
    const auto v = key->second.values.find(Fold(name));
    if (v == key->second.values.end()) return false;
    *value = v->second.second;
    return true;
}

std::uint32_t FakeRegistryAdmin::DeleteKeyTree(os::RegistryView view, const core::u16& path) {
    journal_.push_back("DeleteKey " + Utf8(path));
    const std::string id = Id(view, path);
    if (failDelete.count(Fold(path))) return os::kErrorAccessDenied;
    if (!keys_.count(id)) return os::kErrorFileNotFound;
    for (auto it = keys_.begin(); it != keys_.end();) {
        if (it->first == id || it->first.rfind(id + "\\", 0) == 0)
            it = keys_.erase(it);
        else
            ++it;
    }
    return 0;
}

std::uint32_t FakeRegistryAdmin::SetString(os::RegistryView view, const core::u16& path, const core::u16& name,
                                           const core::u16& value) {
    journal_.push_back("SetValue " + Utf8(path) + " " + Utf8(name) + "=" + Utf8(value));
    SetValue(view, path, name, value);
    return 0;
}

std::uint32_t FakeRegistryAdmin::DeleteValue(os::RegistryView view, const core::u16& path, const core::u16& name) {
    journal_.push_back("DeleteValue " + Utf8(path) + " " + Utf8(name));
    const auto key = keys_.find(Id(view, path));
    if (key == keys_.end() || !key->second.values.erase(Fold(name))) return os::kErrorFileNotFound;
    return 0;
}

// ---------------------------------------------------------------- services

bool FakeServiceAdmin::Query(const core::u16& name, os::ServiceStatus* status, std::uint32_t* error) {
    if (queryFails) {
        *error = os::kErrorAccessDenied;
        return false;
    }
    const auto it = services.find(Fold(name));
    *status = it == services.end() ? os::ServiceStatus() : it->second;
    return true;
}

std::uint32_t FakeServiceAdmin::Stop(const core::u16& name, std::uint32_t) {
    journal_.push_back("StopService " + Utf8(name));
    const auto it = services.find(Fold(name));
    if (it == services.end()) return os::kErrorServiceDoesNotExist;
    if (!it->second.running) return os::kErrorServiceNotActive;
    if (stopFails) return 1053;
    it->second.running = false;
    return 0;
}

std::uint32_t FakeServiceAdmin::Delete(const core::u16& name) {
    journal_.push_back("DeleteService " + Utf8(name));
    const auto it = services.find(Fold(name));
    if (it == services.end()) return os::kErrorServiceDoesNotExist;
    services.erase(it);
    return 0;
}

std::uint32_t FakeServiceAdmin::MoveProgram(const core::u16& name, const core::u16& imagePath, bool start) {
    journal_.push_back("MoveService " + Utf8(name) + " " + Utf8(imagePath) + (start ? " start" : ""));
    const auto it = services.find(Fold(name));
    if (it == services.end()) return os::kErrorServiceDoesNotExist;
    it->second.imagePath = imagePath;
    it->second.running = start;
    return 0;
}

// ---------------------------------------------------------------- files

void FakeFileRemoval::AddFolder(const core::u16& path) {
    core::u16 p = path;
    while (p.size() > 3 && p.back() == u'\\') p.pop_back();
    if (p.size() > 3) {
        const std::size_t cut = p.rfind(u'\\');
        if (cut != core::u16::npos) AddFolder(p.substr(0, cut < 3 ? 3 : cut));
    }
    entries_.emplace(Fold(p), Entry{p, os::PathKind::kFolder});
}

void FakeFileRemoval::AddFile(const core::u16& path) {
    AddFolder(path.substr(0, path.rfind(u'\\')));
    entries_[Fold(path)] = Entry{path, os::PathKind::kFile};
}

void FakeFileRemoval::AddLink(const core::u16& path, bool toFolder) {
    AddFolder(path.substr(0, path.rfind(u'\\')));
    entries_[Fold(path)] = Entry{path, toFolder ? os::PathKind::kFolderLink : os::PathKind::kFileLink};
}

std::vector<std::string> FakeFileRemoval::Dump() const {
    std::vector<std::string> out;
    for (const auto& [key, entry] : entries_) out.push_back(key + " (" + KindName(entry.kind) + ")");
    return out;
}

os::PathKind FakeFileRemoval::Kind(const core::u16& path) {
    const auto it = entries_.find(Fold(path));
    return it == entries_.end() ? os::PathKind::kMissing : it->second.kind;
}

bool FakeFileRemoval::List(const core::u16& folder, std::vector<os::FolderEntry>* out) {
    out->clear();
    const std::string key = Fold(folder);
    const auto it = entries_.find(key);
    if (it == entries_.end() || it->second.kind != os::PathKind::kFolder) return false;
    for (const auto& [k, entry] : entries_) {
        if (k == key || ParentKey(k) != key) continue;
        out->push_back({entry.path.substr(entry.path.rfind(u'\\') + 1), entry.kind});
    }
    return true;
}

std::uint32_t FakeFileRemoval::DeleteFile(const core::u16& path) {
    journal_.push_back("DeleteFile " + Utf8(path));
    const auto it = entries_.find(Fold(path));
    if (it == entries_.end()) return entries_.count(ParentKey(Fold(path))) ? os::kErrorFileNotFound : os::kErrorPathNotFound;
    if (it->second.kind == os::PathKind::kFolder || it->second.kind == os::PathKind::kFolderLink)
        return os::kErrorAccessDenied;
    if (inUse_.count(it->first)) return os::kErrorSharingViolation;
    if (loaded_.count(it->first)) return os::kErrorAccessDenied;
    entries_.erase(it);
    return 0;
}

std::uint32_t FakeFileRemoval::RenameAside(const core::u16& path, core::u16* aside) {
    journal_.push_back("RenameAside " + Utf8(path));
    const auto it = entries_.find(Fold(path));
    if (it == entries_.end()) return os::kErrorFileNotFound;
    if (inUse_.count(it->first)) return os::kErrorSharingViolation;
    for (int n = 1;; ++n) {
        const core::u16 candidate = path + u"." + core::DecimalU16(n) + u".del";
        if (entries_.count(Fold(candidate))) continue;
        const bool wasLoaded = loaded_.erase(it->first) != 0;
        entries_.erase(it);
        entries_[Fold(candidate)] = Entry{candidate, os::PathKind::kFile};
        if (wasLoaded) loaded_.insert(Fold(candidate));
        *aside = candidate;
        return 0;
    }
}

std::uint32_t FakeFileRemoval::RemoveFolder(const core::u16& path) {
    journal_.push_back("RemoveFolder " + Utf8(path));
    const std::string key = Fold(path);
    const auto it = entries_.find(key);
    if (it == entries_.end()) return os::kErrorFileNotFound;
    if (it->second.kind != os::PathKind::kFolder && it->second.kind != os::PathKind::kFolderLink) return 267;
    if (it->second.kind == os::PathKind::kFolder)
        for (const auto& [k, entry] : entries_)
            if (ParentKey(k) == key && k != key) return os::kErrorDirNotEmpty;
    entries_.erase(it);
    return 0;
}

void FakeFileRemoval::Restart() {
    inUse_.clear();
    loaded_.clear();
    for (const auto& path : atRestart) {
        const auto it = entries_.find(Fold(path));
        if (it == entries_.end()) continue;
        if (it->second.kind == os::PathKind::kFolder) {
            const std::string key = it->first;
            const bool empty = std::none_of(entries_.begin(), entries_.end(),
                                            [&](const auto& e) { return e.first != key && ParentKey(e.first) == key; });
            if (!empty) continue;
        }
        entries_.erase(it);
    }
    atRestart.clear();
}

std::uint32_t FakeFileRemoval::DeleteAtRestart(const core::u16& path) {
    journal_.push_back("DeleteAtRestart " + Utf8(path));
    if (restartRefused) return os::kErrorAccessDenied;
    atRestart.push_back(path);
    return 0;
}

}  // namespace fakes
