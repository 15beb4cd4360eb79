// Child roles for the tests of the process, command, port and shell facilities.
#pragma once

#include <string>
#include <vector>

namespace testsupport {

// Runs the role named by args[0] and returns its exit code, or -1 when args[0] is
// not one of these roles:
//   linger MS            stays alive MS milliseconds
//   print N [both]       writes N pattern bytes to standard output (with "both":
//                        the first half to standard error), then ends
//   console FILE         writes the UTF-8 text of FILE to standard output as a console
//                        program (netsh, cmd) does: in the console code page on Windows
//   listen FILE          listens on a free loopback TCP port, writes it to FILE, stays 30 s
//   connect PORT FILE    connects to loopback PORT, writes its own port to FILE, stays 30 s
int facilityRole(const std::vector<std::string> &args);

// The pattern "print N" writes: "abcdefghij\n" repeated, cut to n bytes.
std::string printPattern(std::size_t n);

} // namespace testsupport
