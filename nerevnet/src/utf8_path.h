// Paths in the C interface (logDir, the replay recording) are UTF-8 on every
// platform. They become file-system paths only here: on Windows that converts
// them to UTF-16, so every file the library opens goes through the wide file
// functions and never through the ANSI code page.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace nerevnet {

// True for well-formed UTF-8: no stray continuation bytes, no cut sequences,
// no overlong forms, no UTF-16 surrogates, nothing above U+10FFFF.
bool isValidUtf8(std::string_view text);

// The file-system path named by a UTF-8 text that isValidUtf8 accepted.
std::filesystem::path pathFromUtf8(std::string_view text);

// The text for a log line: bytes that are not UTF-8 are shown as \xNN.
std::string printableUtf8(std::string_view text);

} // namespace nerevnet
