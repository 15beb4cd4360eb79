#pragma once
// How long a test waits for what a child process does (start, answer, end).
// Natively that takes milliseconds; under Wine on a loaded machine one
// process start has taken over five seconds, QtTest's default wait. A passing
// test never waits this long: only a failing one does.
constexpr int kChildProcessWaitMs = 30000;
