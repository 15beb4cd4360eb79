#include "platform/system_facts.h"

#include "win32_text.h"

#include <windows.h>

namespace platform {
namespace {

// "HKEY_LOCAL_MACHINE\\SOFTWARE\\..." into the hive and the rest.
bool splitKey(const std::string &key, HKEY &root, std::wstring &subKey)
{
    const auto slash = key.find('\\');
    const std::string hive = key.substr(0, slash);
    if (hive == "HKEY_LOCAL_MACHINE" || hive == "HKLM")
        root = HKEY_LOCAL_MACHINE;
    else if (hive == "HKEY_CURRENT_USER" || hive == "HKCU")
        root = HKEY_CURRENT_USER;
    else if (hive == "HKEY_CLASSES_ROOT" || hive == "HKCR")
        root = HKEY_CLASSES_ROOT;
    else if (hive == "HKEY_USERS" || hive == "HKU")
        root = HKEY_USERS;
    else
        return false;
    subKey = slash == std::string::npos ? std::wstring() : win32::widen(key.substr(slash + 1));
    return true;
}

HKEY openKey(const std::string &key, REGSAM access)
{
    HKEY root;
    std::wstring subKey;
    if (!splitKey(key, root, subKey))
        return nullptr;
    HKEY handle = nullptr;
    if (RegOpenKeyExW(root, subKey.c_str(), 0, access, &handle) != ERROR_SUCCESS)
        return nullptr;
    return handle;
}

} // namespace

std::optional<std::string> registryString(const std::string &key, const std::string &value)
{
    HKEY handle = openKey(key, KEY_READ);
    if (!handle)
        return std::nullopt;
    const std::wstring name = win32::widen(value);
    DWORD type = 0, bytes = 0;
    std::optional<std::string> result;
    if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, nullptr, &bytes) == ERROR_SUCCESS
        && (type == REG_SZ || type == REG_EXPAND_SZ)) {
        std::wstring data(bytes / sizeof(wchar_t) + 1, L'\0');
        DWORD size = static_cast<DWORD>(data.size() * sizeof(wchar_t));
        if (RegQueryValueExW(handle, name.c_str(), nullptr, &type, reinterpret_cast<BYTE *>(&data[0]), &size)
            == ERROR_SUCCESS) {
            data.resize(size / sizeof(wchar_t));
            while (!data.empty() && data.back() == L'\0')
                data.pop_back();
            result = win32::narrow(data);
        }
    }
    RegCloseKey(handle);
    return result;
}

bool registryKeyExists(const std::string &key)
{
    HKEY handle = openKey(key, KEY_READ);
    if (!handle)
        return false;
    RegCloseKey(handle);
    return true;
}

std::optional<std::vector<std::string>> registrySubKeys(const std::string &key)
{
    HKEY handle = openKey(key, KEY_READ);
    if (!handle)
        return std::nullopt;
    std::vector<std::string> names;
    for (DWORD i = 0;; ++i) {
        wchar_t name[256];
        DWORD length = 256;
        const LONG rc = RegEnumKeyExW(handle, i, name, &length, nullptr, nullptr, nullptr, nullptr);
        if (rc != ERROR_SUCCESS)
            break;
        names.push_back(win32::narrow(std::wstring(name, length)));
    }
    RegCloseKey(handle);
    return names;
}

bool registryWriteString(const std::string &key, const std::string &value, const std::string &data)
{
    HKEY root;
    std::wstring subKey;
    if (!splitKey(key, root, subKey))
        return false;
    HKEY handle = nullptr;
    if (RegCreateKeyExW(root, subKey.c_str(), 0, nullptr, 0, KEY_WRITE, nullptr, &handle, nullptr) != ERROR_SUCCESS)
        return false;
    const std::wstring name = win32::widen(value);
    const std::wstring text = win32::widen(data);
    const LONG rc = RegSetValueExW(handle, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE *>(text.c_str()),
                                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(handle);
    return rc == ERROR_SUCCESS;
}

bool registryDeleteTree(const std::string &key)
{
    HKEY root;
    std::wstring subKey;
    if (!splitKey(key, root, subKey) || subKey.empty())
        return false;
    return RegDeleteTreeW(root, subKey.c_str()) == ERROR_SUCCESS;
}

ProgramCommand networkCategoryQuery()
{
    return ProgramCommand{"powershell", {"/c", "Get-NetConnectionProfile | findstr NetworkCategory"}};
}

} // namespace platform
