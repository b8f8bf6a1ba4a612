// A plugin that passes the host's scan and then faults in its preload entry, or with
// FAULT_IN_LOAD in its load entry instead, as a broken plugin would: the host must survive it,
// drop it and go on.

#include "host/sfse_plugin.h"

#if defined(FAULT_IN_LOAD)
#define FAULTING_ENTRY SFSEPlugin_Load
#else
#define FAULTING_ENTRY SFSEPlugin_Preload
#endif

extern "C" __declspec(dllexport) bool FAULTING_ENTRY(const SFSEInterface*) {
    *static_cast<volatile int*>(nullptr) = 0;
    return true;
}

extern "C" __declspec(dllexport) constexpr SFSEPluginVersionData SFSEPlugin_Version = {
    kVersionDataLayout,
    3,
    "Faulting",
    "Tests",
    kAddressIndependenceSignatures,
    kStructureIndependenceNoStructs};
