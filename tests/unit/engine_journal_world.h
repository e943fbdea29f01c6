// The engine's services as fakes, wired into one InstallServices, every one
// of them writing the same journal: the file system's copies and deletions,
// the log's entries, and the calls of the spooler, the system, the
// registry, the profile writer, the service manager, the shell and the
// observer, so that a test sees every call in order.
#pragma once

#include <string>
#include <vector>

#include "engine/install_plan.h"
#include "fakes/call_recorder.h"
#include "fakes/fake_code_page.h"
#include "fakes/fake_fs.h"
#include "fakes/fake_log_sink.h"
#include "fakes/fake_profile.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_service_manager.h"
#include "fakes/fake_shell.h"
#include "fakes/fake_spooler.h"
#include "fakes/fake_system_info.h"
#include "fakes/recording_observer.h"

namespace enginetest {

inline std::string Utf8(const core::u16& s) { return core::Utf16ToUtf8(s); }

// Forwards to a FakeFileSystem and records what changes files:
// "copy <source> -> <target>", "delete <path>", "create <path>",
// "mkdir <path>".
class RecordingFileSystem : public os::FileSystem {
public:
    RecordingFileSystem(fakes::FakeFileSystem& inner, fakes::Journal& journal) : inner_(inner), journal_(journal) {}

    struct Copy {
        core::u16 source, target;
    };
    std::vector<Copy> copies;
    std::vector<core::u16> deletions;

    std::unique_ptr<os::OutputFile> CreateForWrite(const core::u16& path) override {
        journal_.push_back("create " + Utf8(path));
        return inner_.CreateForWrite(path);
    }
    std::unique_ptr<os::InputFile> OpenForRead(const core::u16& path) override { return inner_.OpenForRead(path); }
    bool ReadFile(const core::u16& path, std::size_t limit, std::vector<std::uint8_t>* contents) override {
        return inner_.ReadFile(path, limit, contents);
    }
    bool CopyFileReplacing(const core::u16& source, const core::u16& target) override {
        journal_.push_back("copy " + Utf8(source) + " -> " + Utf8(target));
        copies.push_back({source, target});
        return inner_.CopyFileReplacing(source, target);
    }
    bool RemoveFile(const core::u16& path) override {
        journal_.push_back("delete " + Utf8(path));
        deletions.push_back(path);
        return inner_.RemoveFile(path);
    }
    bool FileExists(const core::u16& path) override { return inner_.FileExists(path); }
    bool DirectoryExists(const core::u16& path) override { return inner_.DirectoryExists(path); }
    bool MakeDirectory(const core::u16& path) override {
        journal_.push_back("mkdir " + Utf8(path));
        return inner_.MakeDirectory(path);
    }
    bool ListDirectory(const core::u16& path, std::vector<os::DirEntry>* entries) override {
        return inner_.ListDirectory(path, entries);
    }

private:
    fakes::FakeFileSystem& inner_;
    fakes::Journal& journal_;
};

// A FakeLogSink whose entries also go into the journal as "log <entry>".
class RecordingLog : public fakes::FakeLogSink {
public:
    explicit RecordingLog(fakes::Journal& journal) : journal_(journal) {}
    bool AppendToLog(const core::u16& path, std::string_view bytes) override {
        journal_.push_back("log " + std::string(bytes));
        return FakeLogSink::AppendToLog(path, bytes);
    }
    std::string Text() const { return Contents(u"C:\\InstallPrinter.txt"); }

private:
    fakes::Journal& journal_;
};

struct EngineWorld {
    EngineWorld() {
        spooler.journal = &journal;
        registry.journal = &journal;
        profiles.journal = &journal;
        serviceManager.journal = &journal;
        shell.journal = &journal;
        system.journal = &journal;
        observer.journal = &journal;
    }

    fakes::Journal journal;
    fakes::FakeFileSystem disk;
    RecordingFileSystem fs{disk, journal};
    fakes::FakeSpooler spooler;
    fakes::FakeRegistry registry;
    fakes::FakeProfileWriter profiles;
    fakes::FakeServiceManager serviceManager;
    fakes::FakeShell shell;
    fakes::FakeSystemInfo system;
    fakes::FakeCodePage codePage;
    RecordingLog log{journal};
    fakes::RecordingObserver observer;
    engine::InstallServices services{fs, spooler, registry, profiles, serviceManager, shell, system, codePage, log};
};

}  // namespace enginetest
