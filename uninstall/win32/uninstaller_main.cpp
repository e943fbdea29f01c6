// Uninstaller.exe: removes the installation it was installed with.
#include <windows.h>

#include <algorithm>
#include <string>

#include "os/win32/removal_services.h"
#include "os/win32/services.h"
#include "uninstall/command_line.h"
#include "uninstall/session.h"
#include "uninstall/uninstall_texts.h"
#include "uninstall/win32/self_removal.h"
#include "uninstall/win32/system_facts.h"
#include "win/system_libraries.h"

namespace {

class MessageBoxUi : public uninstall::UninstallUi {
public:
    bool Ask(const core::u16& caption, const core::u16& text) override {
        return ::MessageBoxW(nullptr, oswin::W(text), oswin::W(caption),
                             MB_YESNO | MB_ICONQUESTION | MB_DEFBUTTON2 | MB_SETFOREGROUND) == IDYES;
    }
    void Tell(const core::u16& caption, const core::u16& text, bool warning) override {
        ::MessageBoxW(nullptr, oswin::W(text), oswin::W(caption),
                      MB_OK | (warning ? MB_ICONWARNING : MB_ICONINFORMATION) | MB_SETFOREGROUND);
    }
};

// A relative /LOG path is taken from the folder the program was started in;
// the finishing run works elsewhere and gets the full path.
core::u16 FullPath(const core::u16& path) {
    if (path.empty()) return path;
    wchar_t buffer[MAX_PATH] = {};
    const DWORD n = ::GetFullPathNameW(oswin::W(path), MAX_PATH, buffer, nullptr);
    return n > 0 && n < MAX_PATH ? oswin::U16(buffer) : path;
}

}  // namespace

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    win::HardenLibrarySearch();
    // Version 6 of the common controls (from the manifest) looks for the
    // theme library when a message box first paints.
    win::LoadSystemLibrary(L"uxtheme.dll");

    const std::vector<core::u16> words = uninstall::SplitCommandLine(oswin::U16(::GetCommandLineW()));
    const std::vector<core::u16> arguments(words.begin() + 1, words.end());
    uninstall::Options options;
    core::u16 offending;
    if (!uninstall::ParseOptions(arguments, &options, &offending)) {
        const bool silent = std::any_of(arguments.begin(), arguments.end(),
                                        [](const core::u16& a) { return core::EqualsNoCase(a, u"/S"); });
        if (!silent) {
            const bool chinese = uninstall_win::UserWantsChinese();
            MessageBoxUi().Tell(uninstall::Caption(chinese),
                                uninstall::MessageText(uninstall::Message::kBadCommandLine, chinese, u"", offending),
                                true);
        }
        return uninstall::kExitBadCommandLine;
    }
    options.logFile = FullPath(options.logFile);

    uninstall::RemovalLog log(oswin::Logs(), oswin::AnsiCodePage(), options.logFile);
    oswin::FileRemoval files;
    if (options.finish) return uninstall_win::RunFinishing(options, files, log);

    oswin::SpoolerAdmin spooler;
    oswin::RegistryAdmin registry;
    oswin::ServiceAdmin serviceManager;
    uninstall::RemovalServices services{spooler, registry, serviceManager, files};
    const uninstall::SystemFacts facts = uninstall_win::GatherFacts(spooler);
    const core::u16 ownPath = uninstall_win::OwnPath();
    MessageBoxUi ui;
    uninstall::SessionResult result = uninstall::RunSession(options, ownPath, facts, uninstall_win::UserWantsChinese(),
                                                            services, oswin::Profiles(), log, ui);
    if (result.removeProgram && !uninstall_win::StartFinishingRun(result, options, ownPath, log)) {
        uninstall_win::ScheduleOwnRemoval(result, ownPath, files, log);
        if (result.exitCode == uninstall::kExitRemoved) result.exitCode = uninstall::kExitRestartRequired;
    }
    return result.exitCode;
}
