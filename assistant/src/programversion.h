#pragma once

// The program's version text ("1.1.16.420"): four dot-separated numbers. It is
// set once in the top-level CMakeLists.txt and compiled into a small library of
// its own, so a build of another version relinks the program instead of
// recompiling it.
const char* programVersion();
