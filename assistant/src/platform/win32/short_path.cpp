#include "platform/short_path.h"

#include "win32_text.h"

#include <windows.h>

namespace platform {

std::string shortPathName(const std::string &path)
{
    const std::wstring wide = win32::widen(path);
    const DWORD n = GetShortPathNameW(wide.c_str(), nullptr, 0);
    if (n == 0)
        return {};
    std::wstring out(n, L'\0');
    const DWORD written = GetShortPathNameW(wide.c_str(), &out[0], n);
    if (written == 0 || written >= n)
        return {};
    out.resize(written);
    return win32::narrow(out);
}

} // namespace platform
