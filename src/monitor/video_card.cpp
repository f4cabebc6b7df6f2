#include "monitor/video_card.h"

#include "common/text.h"
#include "monitor/hardware_probes.h"
#include "monitor/monitor_format.h"

#include <windows.h>
#include <dxgi.h>

namespace tessaly {

namespace {
// IDXGIFactory, spelt out: the import library's symbol is not to be relied on.
constexpr GUID kIdDxgiFactory = {
    0x7b7166ec, 0x21c7, 0x44ae, {0xb2, 0x1a, 0xc9, 0xae, 0x32, 0x1a, 0xe3, 0x69}};

template <class T> struct ComRelease {
    T* p = nullptr;
    ~ComRelease() {
        if (p)
            p->Release();
    }
};

struct Library {
    HMODULE module;
    ~Library() {
        if (module)
            ::FreeLibrary(module);
    }
};
} // namespace

bool VideoCard::QueryAdapter() {
    // Loaded for this one question and let go again: the adapter is asked once per run.
    const Library dxgi{::LoadLibraryW(library_)};
    if (!dxgi.module)
        return false;
    using CreateFactoryFn = HRESULT(WINAPI*)(REFIID, void**);
    const auto createFactory = reinterpret_cast<CreateFactoryFn>(
        reinterpret_cast<void*>(::GetProcAddress(dxgi.module, "CreateDXGIFactory")));
    if (!createFactory)
        return false;
    DXGI_ADAPTER_DESC desc{};
    {
        ComRelease<IDXGIFactory> factory;
        if (FAILED(createFactory(kIdDxgiFactory, reinterpret_cast<void**>(&factory.p))) ||
            !factory.p)
            return false;
        ComRelease<IDXGIAdapter> adapter;
        if (FAILED(factory.p->EnumAdapters(0, &adapter.p)) || !adapter.p ||
            FAILED(adapter.p->GetDesc(&desc)))
            return false;
    }
    desc.Description[ARRAYSIZE(desc.Description) - 1] = L'\0';
    name_ = Trim(desc.Description);
    memory_ = FormatSize(static_cast<int64_t>(desc.DedicatedVideoMemory));
    return true;
}

void VideoCard::QueryVideoInfo() {
    const DisplayMode mode = ReadDisplayMode();
    if (!mode.ok || !QueryAdapter()) {
        name_ = resolution_ = depth_ = memory_ = L"Unknown";
        return;
    }
    resolution_ = std::to_wstring(mode.width) + L"x" + std::to_wstring(mode.height);
    depth_ = std::to_wstring(mode.bitsPerPixel);
}

} // namespace tessaly
