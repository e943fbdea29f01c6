#include "win/thread.h"

#include <process.h>

#include <new>

#include "win/handles.h"

namespace win {

namespace {

struct Start {
    ThreadProc proc;
    void* parameter;
};

unsigned __stdcall ThreadEntry(void* raw) {
    const Start start = *static_cast<Start*>(raw);
    delete static_cast<Start*>(raw);
    return start.proc(start.parameter);
}

}  // namespace

BOOL AfxBeginThread(ThreadProc proc, void* parameter, int priority) {
    auto* start = new (std::nothrow) Start{proc, parameter};
    if (!start) return FALSE;
    // _beginthreadex, not CreateThread, so the C runtime's per-thread state
    // is set up for the worker.
    unsigned id = 0;
    UniqueHandle thread(reinterpret_cast<HANDLE>(
        _beginthreadex(nullptr, 0, &ThreadEntry, start, CREATE_SUSPENDED, &id)));
    if (!thread) {
        delete start;
        return FALSE;
    }
    ::SetThreadPriority(thread.Get(), priority);
    ::ResumeThread(thread.Get());
    return TRUE;
}

}  // namespace win
