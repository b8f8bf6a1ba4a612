#pragma once

// Recurses until the stack is used up, for the crash and the guard tests. The volatile buffer
// keeps each frame, and the volatile flag keeps the compiler from calling the recursion endless.
// A frame under a page needs no stack probe, so a DLL without a runtime can use it too.

namespace {

volatile bool keepRecursing = true;

unsigned UseUpStack(unsigned depth) {
    volatile char frame[512];
    frame[0] = static_cast<char>(depth);
    return keepRecursing ? UseUpStack(depth + 1) + frame[0] : 0;
}

}  // namespace
