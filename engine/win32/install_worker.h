// The install worker: the one thread that performs the installation.
//
// The worker reads only its InstallPlan and writes only its InstallResult;
// it never touches a window's fields or controls. Everything it wants shown
// goes to the window that started it as a message that the window's thread
// carries out:
//
//   kMsgInstallProgress      sent   wParam: position 0..100
//   kMsgInstallWaitText      sent   lParam: const core::u16* new wait line
//   kMsgInstallDeployedFile  sent   lParam: const core::u16* file name (no folder)
//   kMsgInstallChoosePort    sent   lParam: core::u16* receiving the chosen port;
//                                   the handler returns 1 for a choice, 0 for cancel
//   WM_COMMAND kNextCommandId, lParam 0     posted on success
//   kMsgInstallFailed        posted on failure
//
// Sent messages return after the window's thread has handled them, so the
// pointers they carry stay valid for the whole call. The outcome messages
// are posted after the result has been stored; the worker touches nothing of
// the InstallWorker afterwards, so the window may go away at once.
#pragma once

#include <windows.h>

#include <atomic>

#include "engine/install_plan.h"

namespace engine {

enum InstallMessage : UINT {
    kMsgInstallProgress = WM_APP + 0x40,
    kMsgInstallWaitText,
    kMsgInstallDeployedFile,
    kMsgInstallChoosePort,
    kMsgInstallFailed,
};

// The Next button: a successful installation ends as its command.
inline constexpr WORD kNextCommandId = 1001;

class InstallWorker {
public:
    InstallWorker() = default;
    InstallWorker(const InstallWorker&) = delete;
    InstallWorker& operator=(const InstallWorker&) = delete;

    // Starts InstallThreadProc on a new thread (normal priority, default
    // stack) with `plan`; `window` receives the messages above. Once per
    // worker. False when the thread could not be started: nothing was done
    // and no message will come.
    bool Start(HWND window, InstallPlan plan);

    const InstallPlan& Plan() const { return plan_; }

    // What the installation did, once the worker has finished; null before.
    const InstallResult* Result() const { return finished_.load(std::memory_order_acquire) ? &result_ : nullptr; }

private:
    friend UINT InstallThreadProc(void* worker);

    HWND window_ = nullptr;
    InstallPlan plan_;
    InstallResult result_;
    std::atomic<bool> finished_{false};
    bool started_ = false;
};

// Thread procedure; `worker` is the InstallWorker that started it. Runs
// RunInstallation with the Win32 services and reports through messages.
// Always returns 0.
UINT InstallThreadProc(void* worker);

}  // namespace engine
