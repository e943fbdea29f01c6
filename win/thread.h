// Worker threads.
#pragma once

#include <windows.h>

namespace win {

using ThreadProc = UINT (*)(void* parameter);

// Starts `proc(parameter)` on a new thread with the default stack size,
// running at once at `priority`. The thread handle is closed here: nobody
// waits for the thread. False when the thread could not be started.
BOOL AfxBeginThread(ThreadProc proc, void* parameter, int priority = THREAD_PRIORITY_NORMAL);

}  // namespace win
