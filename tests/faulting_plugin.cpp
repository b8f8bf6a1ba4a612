// A plugin that passes the host's scan and then faults in its preload entry, or with
// FAULT_IN_LOAD in its load entry instead, or with OVERFLOW_IN_PRELOAD uses up its stack in its
// preload entry, as a broken plugin would: the host must survive it, drop it and go on.

#include "host/sfse_plugin.h"
#include "tests/support/use_up_stack.h"

#if defined(FAULT_IN_LOAD)
#define FAULTING_ENTRY SFSEPlugin_Load
#else
#define FAULTING_ENTRY SFSEPlugin_Preload
#endif

extern "C" __declspec(dllexport) bool FAULTING_ENTRY(const SFSEInterface*) {
#if defined(OVERFLOW_IN_PRELOAD)
    return UseUpStack(0) != 0;
#else
    *static_cast<volatile int*>(nullptr) = 0;
    return true;
#endif
}

extern "C" __declspec(dllexport) constexpr SFSEPluginVersionData SFSEPlugin_Version = {
    kVersionDataLayout,
    3,
    "Faulting",
    "Tests",
    kAddressIndependenceSignatures,
    kStructureIndependenceNoStructs};
