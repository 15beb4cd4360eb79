// Text at the Win32 boundary. The platform layer speaks UTF-8; Windows is
// called through its wide (UTF-16) functions only, so no text ever passes
// through the ANSI code page. These are the only conversions.
#pragma once

#include <cwchar>
#include <string>
#include <windows.h>

namespace platform::win32 {

// UTF-8 to UTF-16. Bytes that are not UTF-8 become U+FFFD; text from Qt
// (toUtf8, toStdString) is always UTF-8.
inline std::wstring widen(const std::string &text)
{
    if (text.empty())
        return {};
    const int n = MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring out(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n);
    return out;
}

// UTF-16 to UTF-8; every character of well-formed UTF-16 is kept.
inline std::string narrow(const std::wstring &text)
{
    if (text.empty())
        return {};
    const int n = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
    std::string out(static_cast<std::size_t>(n), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &out[0], n, nullptr, nullptr);
    return out;
}

// A fixed-size wide field of a system record (a device or driver name): up to
// its terminating zero, never past its end.
template <std::size_t N>
inline std::string narrowField(const wchar_t (&field)[N])
{
    return narrow(std::wstring(field, wcsnlen(field, N)));
}

// Bytes a program wrote in code page `codePage` (for console programs the
// console's code page, 936 on a Chinese system) as UTF-8.
inline std::string utf8FromCodePage(const std::string &bytes, UINT codePage)
{
    if (bytes.empty() || codePage == CP_UTF8)
        return bytes;
    const int n = MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    if (n <= 0)
        return bytes;
    std::wstring wide(static_cast<std::size_t>(n), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), &wide[0], n);
    return narrow(wide);
}

// "what: <system message> (code)" for the log.
inline std::string errorText(const std::string &what, DWORD code)
{
    wchar_t *buffer = nullptr;
    const DWORD n = FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM
                                       | FORMAT_MESSAGE_IGNORE_INSERTS,
                                   nullptr, code, 0, reinterpret_cast<wchar_t *>(&buffer), 0, nullptr);
    std::string message;
    if (n && buffer) {
        message = narrow(std::wstring(buffer, n));
        while (!message.empty() && (message.back() == '\n' || message.back() == '\r' || message.back() == ' '))
            message.pop_back();
    }
    if (buffer)
        LocalFree(buffer);
    return what + ": " + message + " (" + std::to_string(code) + ")";
}

} // namespace platform::win32
