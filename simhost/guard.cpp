#include "simhost/guard.h"

namespace {

// The state of the one guarded call in progress. The host calls plugins one at a time, on one
// thread; volatile, because the filter writes it behind the compiler's back.
alignas(16) CONTEXT resumeAt;
volatile DWORD guardedThread;
volatile bool guarding;
volatile bool faulted;
volatile DWORD faultCode;
const void* volatile faultAddress;
LPTOP_LEVEL_EXCEPTION_FILTER outerFilter;

// The process's last chance for an exception no frame handled. On the guarded thread, during
// the call, it records the fault and resumes the host where the call began, in CallGuarded.
LONG WINAPI ReturnToHost(EXCEPTION_POINTERS* exception) {
    if (!guarding || GetCurrentThreadId() != guardedThread) {
        return outerFilter ? outerFilter(exception) : EXCEPTION_CONTINUE_SEARCH;
    }
    guarding = false;
    faulted = true;
    faultCode = exception->ExceptionRecord->ExceptionCode;
    faultAddress = exception->ExceptionRecord->ExceptionAddress;
    *exception->ContextRecord = resumeAt;
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

GuardedResult CallGuarded(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse) {
    static volatile bool verdict;
    faulted = false;
    verdict = false;
    guardedThread = GetCurrentThreadId();
    outerFilter = SetUnhandledExceptionFilter(ReturnToHost);
    // After a fault the filter resumes execution here a second time, with faulted set.
    RtlCaptureContext(&resumeAt);
    if (!faulted) {
        guarding = true;
        verdict = entry(sfse);
        guarding = false;
    }
    SetUnhandledExceptionFilter(outerFilter);
    return {faulted, verdict, faultCode, faultAddress};
}
