#include "platform/display.h"

#include "win32_text.h"

#include <windows.h>
#include <d3d11.h>
#include <dxgi.h>
#include <setupapi.h>

namespace platform {
namespace {

// The display-adapter setup class {4D36E968-E325-11CE-BFC1-08002BE10318}.
const GUID kDisplayClass = {0x4D36E968, 0xE325, 0x11CE, {0xBF, 0xC1, 0x08, 0x00, 0x2B, 0xE1, 0x03, 0x18}};
// IDXGIFactory {7B7166EC-21C7-44AE-B21A-C9AE321AE369}.
const GUID kDxgiFactory = {0x7B7166EC, 0x21C7, 0x44AE, {0xB2, 0x1A, 0xC9, 0xAE, 0x32, 0x1A, 0xE3, 0x69}};

} // namespace

std::optional<std::vector<DisplayAdapter>> displayAdapters()
{
    IDXGIFactory *factory = nullptr;
    if (FAILED(CreateDXGIFactory(kDxgiFactory, reinterpret_cast<void **>(&factory))) || !factory)
        return std::nullopt;
    std::vector<DisplayAdapter> out;
    IDXGIAdapter *adapter = nullptr;
    for (UINT i = 0; factory->EnumAdapters(i, &adapter) != DXGI_ERROR_NOT_FOUND; ++i) {
        if (!adapter)
            break;
        DXGI_ADAPTER_DESC desc{};
        if (SUCCEEDED(adapter->GetDesc(&desc))) {
            DisplayAdapter a;
            a.name = win32::narrowField(desc.Description);
            a.vendorId = desc.VendorId;
            a.deviceId = desc.DeviceId;
            a.dedicatedVideoMemory = desc.DedicatedVideoMemory;
            out.push_back(a);
        }
        adapter->Release();
        adapter = nullptr;
    }
    factory->Release();
    return out;
}

std::optional<std::vector<DisplayAdapter>> displayAdaptersFrom(const std::string &, const std::string &)
{
    return std::nullopt;
}

FeatureLevel direct3DFeatureLevel()
{
    static const D3D_FEATURE_LEVEL levels[] = {D3D_FEATURE_LEVEL_11_0, D3D_FEATURE_LEVEL_10_1,
                                               D3D_FEATURE_LEVEL_10_0, D3D_FEATURE_LEVEL_9_3,
                                               D3D_FEATURE_LEVEL_9_2,  D3D_FEATURE_LEVEL_9_1};
    FeatureLevel result;
    D3D_FEATURE_LEVEL obtained = static_cast<D3D_FEATURE_LEVEL>(0);
    ID3D11Device *device = nullptr;
    ID3D11DeviceContext *context = nullptr;
    HRESULT hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels, 6, D3D11_SDK_VERSION,
                                   &device, &obtained, &context);
    if (hr == E_INVALIDARG) {
        // Systems without 11.0 reject the list that names it: ask again from 10.1 down.
        result.invalidArgument = true;
        hr = D3D11CreateDevice(nullptr, D3D_DRIVER_TYPE_HARDWARE, nullptr, 0, levels + 1, 5, D3D11_SDK_VERSION,
                               &device, &obtained, &context);
    }
    if (SUCCEEDED(hr)) {
        result.obtained = true;
        result.level = static_cast<std::uint32_t>(obtained);
    }
    if (context)
        context->Release();
    if (device)
        device->Release();
    return result;
}

std::optional<std::vector<DisplayDevice>> displayDriverVersions()
{
    HDEVINFO set = SetupDiGetClassDevsW(&kDisplayClass, nullptr, nullptr, DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return std::nullopt;
    std::vector<DisplayDevice> out;
    SP_DEVINFO_DATA info{};
    info.cbSize = sizeof info;
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &info); ++i) {
        DisplayDevice device;
        if (SetupDiBuildDriverInfoList(set, &info, SPDIT_COMPATDRIVER)) {
            device.driverListOk = true;
            SP_DRVINFO_DATA_W driver{};
            driver.cbSize = sizeof driver;
            for (DWORD j = 0; SetupDiEnumDriverInfoW(set, &info, SPDIT_COMPATDRIVER, j, &driver); ++j) {
                DisplayDriver d;
                d.manufacturer = win32::narrowField(driver.MfgName);
                d.version = formatDriverVersion(driver.DriverVersion);
                device.drivers.push_back(d);
            }
            SetupDiDestroyDriverInfoList(set, &info, SPDIT_COMPATDRIVER);
        }
        out.push_back(device);
    }
    SetupDiDestroyDeviceInfoList(set);
    return out;
}

} // namespace platform
