#include "simhost/guard.h"

#include <excpt.h>

namespace {

// What the filter saw of a fault that reached the guard.
struct Fault {
    bool faulted;
    DWORD code;
    const void* address;
};

}  // namespace

extern "C" {

// The guard's own frame, written in assembly below because neither compiler offers __try for
// this target. Its unwind data names the C runtime's __C_specific_handler with one scope around
// the call, exactly as a compiler lays out __try/__except: on a fault the system asks the filter,
// then unwinds every frame between the fault and this one by their own unwind data, and resumes
// this frame at its handler. Returns the entry's verdict, or 0 after a fault.
unsigned SimhostGuardedCall(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse,
                            Fault* fault);

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

// The scope covers the call's return address: the nop after the call keeps it inside the scope.
asm(R"(
    .text
    .p2align 4
    .globl SimhostGuardedCall
    .def SimhostGuardedCall; .scl 2; .type 32; .endef
    .seh_proc SimhostGuardedCall
SimhostGuardedCall:
    subq $40, %rsp
    .seh_stackalloc 40
    .seh_endprologue
    movq %r8, 32(%rsp)
    movq %rcx, %rax
    movq %rdx, %rcx
.Lguard_begin:
    callq *%rax
    nop
.Lguard_end:
    movzbl %al, %eax
    addq $40, %rsp
    retq
.Lguard_handler:
    xorl %eax, %eax
    addq $40, %rsp
    retq
    .seh_handler __C_specific_handler, @except
    .seh_handlerdata
    .long 1
    .rva .Lguard_begin, .Lguard_end, SimhostGuardFilter, .Lguard_handler
    .text
    .seh_endproc
)");

GuardedResult CallGuarded(bool (*entry)(const SFSEInterface*), const SFSEInterface* sfse) {
    Fault fault = {};
    const bool verdict = SimhostGuardedCall(entry, sfse, &fault) != 0;
    return {fault.faulted, verdict, fault.code, fault.address};
}
