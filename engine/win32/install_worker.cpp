#include "engine/win32/install_worker.h"

#include <utility>

#include "engine/install_sequence.h"
#include "os/win32/services.h"
#include "win/thread.h"

namespace engine {

namespace {

// The observer of the worker thread: every call becomes a message sent to
// the window, carried out there while the worker waits.
class MessageObserver : public InstallObserver {
public:
    explicit MessageObserver(HWND window) : window_(window) {}

    void SetProgress(int position) override {
        ::SendMessageW(window_, kMsgInstallProgress, static_cast<WPARAM>(position), 0);
    }
    void SetWaitText(const core::u16& text) override {
        ::SendMessageW(window_, kMsgInstallWaitText, 0, reinterpret_cast<LPARAM>(&text));
    }
    void RecordDeployedFile(const core::u16& fileName) override {
        ::SendMessageW(window_, kMsgInstallDeployedFile, 0, reinterpret_cast<LPARAM>(&fileName));
    }
    bool ChoosePort(core::u16* portName) override {
        // A window that is gone answers 0: the same as a cancelled list.
        core::u16 chosen;
        if (::SendMessageW(window_, kMsgInstallChoosePort, 0, reinterpret_cast<LPARAM>(&chosen)) != 1) return false;
        *portName = std::move(chosen);
        return true;
    }

private:
    HWND window_;
};

}  // namespace

bool InstallWorker::Start(HWND window, InstallPlan plan) {
    if (started_) return false;
    window_ = window;
    plan_ = std::move(plan);
    started_ = win::AfxBeginThread(&InstallThreadProc, this) != FALSE;
    return started_;
}

UINT InstallThreadProc(void* parameter) {
    auto& worker = *static_cast<InstallWorker*>(parameter);
    const HWND window = worker.window_;

    InstallServices services{oswin::Files(),    oswin::PrintSpooler(),  oswin::SystemRegistry(),
                             oswin::ProfileWrites(), oswin::Services(), oswin::ShellFolders(),
                             oswin::System(),   oswin::AnsiCodePage(),  oswin::Logs()};
    MessageObserver observer(window);
    worker.result_ = RunInstallation(worker.plan_, services, observer);
    const bool succeeded = worker.result_.succeeded;
    worker.finished_.store(true, std::memory_order_release);

    // Nothing of `worker` is touched after this point.
    if (succeeded)
        ::PostMessageW(window, WM_COMMAND, MAKEWPARAM(kNextCommandId, BN_CLICKED), 0);
    else
        ::PostMessageW(window, kMsgInstallFailed, 0, 0);
    return 0;
}

}  // namespace engine
