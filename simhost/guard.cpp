#include "simhost/guard.h"

#include <excpt.h>
#include <malloc.h>

#include <cstddef>

namespace {

// What the guard saw of a fault. The guard's frame writes resumeStack, its stack pointer after
// its prologue, first thing.
struct Fault {
    void* resumeStack;
    bool faulted;
    DWORD code;
    const void* address;
};
static_assert(offsetof(Fault, resumeStack) == 0);

}  // namespace

extern "C" {

// The guard's own frame, written in assembly below because neither compiler offers __try for
// this target. Its unwind data names the C runtime's __C_specific_handler with one scope around
// the call, exactly as a compiler lays out __try/__except: on a fault the system asks the filter,
// then unwinds every frame between the fault and this one by their own unwind data, and resumes
// this frame at its handler. Returns the entry's verdict, or 0 after a fault.
unsigned SimhostGuardedCall(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse,
                            Fault* fault);

// Where TakeStackOverflow resumes the guard's frame: it restores the registers that the frame
// saved and returns 0, as its handler does.
void SimhostGuardResume();

// The scope's filter. It takes every exception that no frame of the plugin took. The frame keeps
// the Fault pointer at establisherFrame + 32, just above its callee's home area.
__attribute__((used)) LONG SimhostGuardFilter(EXCEPTION_POINTERS* exception,
                                              void* establisherFrame) {
    Fault* fault = *reinterpret_cast<Fault**>(static_cast<char*>(establisherFrame) + 32);
    fault->faulted = true;
    fault->code = exception->ExceptionRecord->ExceptionCode;
    fault->address = exception->ExceptionRecord->ExceptionAddress;
    return EXCEPTION_EXECUTE_HANDLER;
}

}  // extern "C"

// The frame saves every register the Windows x64 convention has a callee keep, so that its
// resume point can restore them without unwinding the plugin's frames. The scope covers the
// call's return address: the nop after the call keeps it inside the scope.
asm(R"(
    .text
    .p2align 4
    .globl SimhostGuardedCall
    .def SimhostGuardedCall; .scl 2; .type 32; .endef
    .seh_proc SimhostGuardedCall
SimhostGuardedCall:
    pushq %rbp
    .seh_pushreg %rbp
    pushq %rbx
    .seh_pushreg %rbx
    pushq %rdi
    .seh_pushreg %rdi
    pushq %rsi
    .seh_pushreg %rsi
    pushq %r12
    .seh_pushreg %r12
    pushq %r13
    .seh_pushreg %r13
    pushq %r14
    .seh_pushreg %r14
    pushq %r15
    .seh_pushreg %r15
    subq $216, %rsp
    .seh_stackalloc 216
    movaps %xmm6, 48(%rsp)
    .seh_savexmm %xmm6, 48
    movaps %xmm7, 64(%rsp)
    .seh_savexmm %xmm7, 64
    movaps %xmm8, 80(%rsp)
    .seh_savexmm %xmm8, 80
    movaps %xmm9, 96(%rsp)
    .seh_savexmm %xmm9, 96
    movaps %xmm10, 112(%rsp)
    .seh_savexmm %xmm10, 112
    movaps %xmm11, 128(%rsp)
    .seh_savexmm %xmm11, 128
    movaps %xmm12, 144(%rsp)
    .seh_savexmm %xmm12, 144
    movaps %xmm13, 160(%rsp)
    .seh_savexmm %xmm13, 160
    movaps %xmm14, 176(%rsp)
    .seh_savexmm %xmm14, 176
    movaps %xmm15, 192(%rsp)
    .seh_savexmm %xmm15, 192
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %rsp, (%r8)
    movq %rcx, %rax
    movq %rdx, %rcx
.Lguard_begin:
    callq *%rax
    nop
.Lguard_end:
    movzbl %al, %eax
    jmp .Lguard_epilogue
.Lguard_handler:
    .globl SimhostGuardResume
SimhostGuardResume:
    xorl %eax, %eax
.Lguard_epilogue:
    movaps 48(%rsp), %xmm6
    movaps 64(%rsp), %xmm7
    movaps 80(%rsp), %xmm8
    movaps 96(%rsp), %xmm9
    movaps 112(%rsp), %xmm10
    movaps 128(%rsp), %xmm11
    movaps 144(%rsp), %xmm12
    movaps 160(%rsp), %xmm13
    movaps 176(%rsp), %xmm14
    movaps 192(%rsp), %xmm15
    addq $216, %rsp
    popq %r15
    popq %r14
    popq %r13
    popq %r12
    popq %rsi
    popq %rdi
    popq %rbx
    popq %rbp
    retq
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .Lguard_begin, .Lguard_end, SimhostGuardFilter, .Lguard_handler
    .text
    .seh_endproc
)");

namespace {

// The Fault of the guarded call running on this thread, if any.
const DWORD guardedCallSlot = TlsAlloc();

// A plugin that uses up its stack leaves too little of it for the system to search its frames
// for the guard's scope: Wine then ends the thread before any handler runs. So the guard takes a
// stack overflow first, before that search, and resumes its own frame at once, as its handler
// would after unwinding; the plugin's frames, whose stack is spent, run no handlers of their own.
LONG WINAPI TakeStackOverflow(EXCEPTION_POINTERS* exception) {
    auto* fault = static_cast<Fault*>(TlsGetValue(guardedCallSlot));
    if (exception->ExceptionRecord->ExceptionCode != EXCEPTION_STACK_OVERFLOW || fault == nullptr) {
        return EXCEPTION_CONTINUE_SEARCH;
    }
    fault->faulted = true;
    fault->code = exception->ExceptionRecord->ExceptionCode;
    fault->address = exception->ExceptionRecord->ExceptionAddress;
    exception->ContextRecord->Rsp = reinterpret_cast<DWORD64>(fault->resumeStack);
    exception->ContextRecord->Rip = reinterpret_cast<DWORD64>(&SimhostGuardResume);
    return EXCEPTION_CONTINUE_EXECUTION;
}

}  // namespace

GuardedResult CallGuarded(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse) {
    // Before the crash report's, which is appended (crash_report.cpp).
    static const PVOID overflowHandler = AddVectoredExceptionHandler(1, TakeStackOverflow);
    (void)overflowHandler;
    Fault fault = {};
    TlsSetValue(guardedCallSlot, &fault);
    const bool verdict = SimhostGuardedCall(entry, sfse, &fault) != 0;
    TlsSetValue(guardedCallSlot, nullptr);
    // The overflow used up the stack's guard page; without a new one, the next overflow on this
    // thread would end the process unreported.
    if (fault.faulted && fault.code == EXCEPTION_STACK_OVERFLOW) _resetstkoflw();
    return {fault.faulted, verdict, fault.code, fault.address};
}
