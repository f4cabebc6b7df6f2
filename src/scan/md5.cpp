#include "scan/md5.h"

#include "common/long_path.h"
#include "scan/lookup_text.h"
#include "win32/handles.h"

#include <wincrypt.h>

#include <algorithm>

namespace tessaly {

namespace {

thread_local HashError lastError;

void Record(int number, const wchar_t* description) {
    lastError = {number, L"basMD5 - HashFile", description};
}

struct CryptContextTraits {
    using Handle = HCRYPTPROV;
    static Handle Invalid() { return 0; }
    static void Close(Handle h) { ::CryptReleaseContext(h, 0); }
};
struct CryptHashTraits {
    using Handle = HCRYPTHASH;
    static Handle Invalid() { return 0; }
    static void Close(Handle h) { ::CryptDestroyHash(h); }
};

UniqueHandle<CryptContextTraits> AcquireProvider() {
    UniqueHandle<CryptContextTraits> context;
    // A profile that never used the provider has no key container yet; the second try makes
    // one.
    if (::CryptAcquireContextW(context.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL, 0) ||
        ::CryptAcquireContextW(context.put(), nullptr, MS_DEF_PROV_W, PROV_RSA_FULL,
                               CRYPT_NEWKEYSET))
        return context;
    return {};
}

} // namespace

const HashError& LastHashError() {
    return lastError;
}

int HashFile(std::wstring_view path, int blockSize, std::vector<unsigned char>& digest) {
    const UniqueFileHandle file(
        ::CreateFileW(ExtendedPath(path).c_str(), GENERIC_READ,
                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    // A file we cannot read has no digest; the digest of empty input would claim it is empty.
    if (!file)
        return 0;
    const auto context = AcquireProvider();
    if (!context) {
        Record(1, L"Failed to acquire cryptographic context");
        return 0;
    }
    UniqueHandle<CryptHashTraits> hash;
    if (!::CryptCreateHash(context.get(), CALG_MD5, 0, 0, hash.put())) {
        Record(3, L"Can NOT Create new MD5 hash");
        return 0;
    }
    std::vector<unsigned char> buffer(static_cast<size_t>(std::max(blockSize, 1)));
    for (;;) {
        DWORD read = 0;
        if (!::ReadFile(file.get(), buffer.data(), static_cast<DWORD>(buffer.size()), &read,
                        nullptr))
            return 0; // cut short: what was read is not the file's digest
        if (read == 0)
            break;
        if (!::CryptHashData(hash.get(), buffer.data(), read, 0)) {
            Record(2, L"Can NOT Add this data to the hash");
            return 0;
        }
    }
    DWORD length = 0;
    if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, nullptr, &length, 0) || length == 0)
        return 0;
    std::vector<unsigned char> value(length);
    if (!::CryptGetHashParam(hash.get(), HP_HASHVAL, value.data(), &length, 0))
        return 0;
    value.resize(length);
    digest = std::move(value);
    return static_cast<int>(length);
}

std::wstring GetFileMD5HashCode(std::wstring_view path, int blockSize) {
    std::vector<unsigned char> digest;
    if (HashFile(path, blockSize, digest) < 1)
        return {};
    return DigestText(digest.data(), digest.size());
}

} // namespace tessaly
