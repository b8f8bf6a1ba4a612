#pragma once

#include <windows.h>

// Starts one detached worker that, after the launch delay, has the shell open the batch file
// beside this module. The worker holds a reference on the module until its last instruction,
// so a host that unloads the plugin meanwhile neither crashes nor loses the launch.
void StartDelayedLaunch();

// The worker's routine: waits, launches, then releases its module reference and exits with 0.
DWORD WINAPI DelayedLaunchThread(LPVOID unused);

// Asks the shell to open the batch file in this module's directory, if its path can be had.
void LaunchBatchFile();
