#include "scan/file_lookup.h"

#include "common/text.h"
#include "process/file_version.h"
#include "scan/md5.h"
#include "scan/opener.h"

#include <objbase.h>

namespace tessaly {

namespace {

std::wstring SizeText(const std::wstring& path) {
    bool measured = false;
    const uint64_t size = FileSizeOf(path, measured);
    return measured ? std::to_wstring(size) : std::wstring();
}

} // namespace

LookupFile ProcessLookupFile(const std::wstring& name, const std::wstring& path) {
    FileVersionInfo version;
    version.GetFileVersionInfo(path);
    LookupFile file;
    file.name = name;
    file.size = SizeText(path);
    file.company = version.CompanyName();
    file.product =
        Trim(version.ProductName()).empty() ? version.FileDescription() : version.ProductName();
    file.version = version.ProductVersion();
    file.digest = GetFileMD5HashCode(path, kHashBlockSize);
    file.path = path;
    return file;
}

LookupFile StartupLookupFile(const std::wstring& name, const std::wstring& path) {
    const FileInfoRecord info = GetFileInfo(path);
    LookupFile file;
    file.name = name;
    file.size = SizeText(path);
    file.company = info.company;
    file.product = info.description;
    file.version = info.fileVersion;
    return file;
}

FileLookups::~FileLookups() {
    for (auto& job : jobs_)
        if (job->thread.joinable())
            job->thread.join();
}

void FileLookups::Reap() {
    for (auto it = jobs_.begin(); it != jobs_.end();) {
        if ((*it)->done) {
            (*it)->thread.join();
            it = jobs_.erase(it);
        } else {
            ++it;
        }
    }
}

void FileLookups::OpenProcess(HWND owner, std::wstring base, std::wstring name, std::wstring path) {
    Reap();
    auto job = std::make_unique<Job>();
    Job* self = job.get();
    job->thread = std::thread([this, self, owner, base = std::move(base), name = std::move(name),
                               path = std::move(path)] {
        // The shell's URL handlers expect a single-threaded apartment.
        const HRESULT com = ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
        OpenAddress(owner, ProcessLookupAddress(base, ProcessLookupFile(name, path)));
        if (SUCCEEDED(com))
            ::CoUninitialize();
        ++finished_;
        self->done = true;
    });
    jobs_.push_back(std::move(job));
}

} // namespace tessaly
