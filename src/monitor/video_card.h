// The display adapter: its description and memory from DXGI (which keeps no 3D device and
// answers under Wine too), the current mode from the display settings. Every text reads
// "Unknown" when the adapter cannot be asked.
#pragma once

#include <string>

namespace tessaly {

class VideoCard {
public:
    // `library` names the DXGI library; tests pass one that does not exist.
    explicit VideoCard(const wchar_t* library = L"dxgi.dll") : library_(library) {}

    void QueryVideoInfo();

    const std::wstring& VideoCardName() const { return name_; }
    const std::wstring& VideoResolution() const { return resolution_; }
    const std::wstring& VideoMemory() const { return memory_; }
    std::wstring ColorDepth() const { return depth_ + L"-bit"; }

private:
    bool QueryAdapter();

    const wchar_t* library_;
    std::wstring name_ = L"Unknown", resolution_ = L"Unknown", depth_ = L"Unknown",
                 memory_ = L"Unknown";
};

} // namespace tessaly
