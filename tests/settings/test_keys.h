// Registry sandboxes for the settings tests: every test gets its own keys under
// HKCU\Software\TessalyTest, handed to the code under test as roots, and removed afterwards.
#pragma once

#include <windows.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <cwchar>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessaly::test {

inline constexpr const wchar_t* kSandboxParent = L"Software\\TessalyTest";

// A key of its own for the running test: HKCU\Software\TessalyTest\<suite>.<test>\<leaf>.
class TestKey {
public:
    explicit TestKey(std::wstring_view leaf) {
        const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
        path_ = std::wstring(kSandboxParent) + L"\\" + Widen(info->test_suite_name()) + L"." +
                Widen(info->name()) + L"\\" + std::wstring(leaf);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str()); // left over from an aborted run
        const LONG status = ::RegCreateKeyExW(HKEY_CURRENT_USER, path_.c_str(), 0, nullptr, 0,
                                              KEY_ALL_ACCESS, nullptr, &key_, nullptr);
        EXPECT_EQ(status, ERROR_SUCCESS) << "cannot create the test key";
    }
    TestKey(const TestKey&) = delete;
    TestKey& operator=(const TestKey&) = delete;

    ~TestKey() {
        AllowWrites();
        if (key_)
            ::RegCloseKey(key_);
        ::RegDeleteTreeW(HKEY_CURRENT_USER, path_.c_str());
        // The per-test parent goes too once both of its roots are gone.
        const std::wstring parent = path_.substr(0, path_.rfind(L'\\'));
        ::RegDeleteKeyW(HKEY_CURRENT_USER, parent.c_str());
        ::RegDeleteKeyW(HKEY_CURRENT_USER, kSandboxParent);
    }

    HKEY get() const { return key_; }
    const std::wstring& path() const { return path_; } // below HKCU

    // Creates `subKey` under this root and gives it, and each key on the way to it, an access
    // list that lets everyone read but neither set values nor create subkeys: the situation
    // of an account that may read the machine hive but not change it. Wine checks the access
    // list when an existing key is opened for writing but not the parent's right to create a
    // subkey, so the whole path is created before it is locked. (A root handle opened with
    // KEY_READ alone refuses nothing here: Wine creates and opens subkeys beneath it with
    // write access, and the store always writes through a subkey path.)
    void DenyWrites(std::wstring_view subKey) {
        std::wstring path;
        size_t start = 0;
        while (start <= subKey.size()) {
            const size_t end = std::min(subKey.find(L'\\', start), subKey.size());
            path += (path.empty() ? L"" : L"\\") + std::wstring(subKey.substr(start, end - start));
            Lock(path);
            start = end + 1;
        }
    }

    // Gives back the original access lists, deepest key first.
    void AllowWrites() {
        for (auto it = locked_.rbegin(); it != locked_.rend(); ++it) {
            HKEY key = nullptr;
            if (::RegOpenKeyExW(key_, it->first.c_str(), 0, WRITE_DAC, &key) == ERROR_SUCCESS) {
                ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, it->second.data());
                ::RegCloseKey(key);
            }
        }
        locked_.clear();
    }

private:
    static std::wstring Widen(const char* text) { return std::wstring(text, text + strlen(text)); }

    void Lock(const std::wstring& subKey) {
        HKEY key = nullptr;
        ASSERT_EQ(::RegCreateKeyExW(key_, subKey.c_str(), 0, nullptr, 0,
                                    KEY_READ | READ_CONTROL | WRITE_DAC, nullptr, &key, nullptr),
                  ERROR_SUCCESS);
        DWORD size = 0;
        ::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, nullptr, &size);
        std::vector<BYTE> original(size);
        ASSERT_EQ(::RegGetKeySecurity(key, DACL_SECURITY_INFORMATION, original.data(), &size),
                  ERROR_SUCCESS);
        // Everyone: read, and the rights to undo this (change the list, delete the key).
        PSECURITY_DESCRIPTOR readOnly = nullptr;
        ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorW(
            L"D:P(A;;KRWDSD;;;WD)", SDDL_REVISION_1, &readOnly, nullptr));
        const LONG status = ::RegSetKeySecurity(key, DACL_SECURITY_INFORMATION, readOnly);
        ::LocalFree(readOnly);
        ::RegCloseKey(key);
        ASSERT_EQ(status, ERROR_SUCCESS);
        locked_.emplace_back(subKey, std::move(original));
    }

    std::wstring path_;
    HKEY key_ = nullptr;
    std::vector<std::pair<std::wstring, std::vector<BYTE>>> locked_;
};

// Raw access for checking what the code under test left behind.
inline std::optional<std::wstring> RawText(HKEY root, std::wstring_view subKey,
                                           std::wstring_view name, DWORD* type = nullptr) {
    DWORD size = 0, kind = 0;
    const std::wstring key(subKey), value(name);
    if (::RegGetValueW(root, key.c_str(), value.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &kind, nullptr,
                       &size) != ERROR_SUCCESS)
        return std::nullopt;
    std::wstring text(size / sizeof(wchar_t) + 1, L'\0');
    size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
    if (::RegGetValueW(root, key.c_str(), value.c_str(), RRF_RT_ANY | RRF_NOEXPAND, &kind,
                       text.data(), &size) != ERROR_SUCCESS)
        return std::nullopt;
    if (type)
        *type = kind;
    text.resize(wcsnlen(text.c_str(), text.size()));
    return text;
}

inline void PutRaw(HKEY root, std::wstring_view subKey, std::wstring_view name, DWORD type,
                   const void* data, DWORD size) {
    HKEY key = nullptr;
    ASSERT_EQ(::RegCreateKeyExW(root, std::wstring(subKey).c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                                nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const LONG status = ::RegSetValueExW(key, std::wstring(name).c_str(), 0, type,
                                         static_cast<const BYTE*>(data), size);
    ::RegCloseKey(key);
    ASSERT_EQ(status, ERROR_SUCCESS);
}

inline void PutText(HKEY root, std::wstring_view subKey, std::wstring_view name,
                    std::wstring_view text) {
    const std::wstring data(text);
    PutRaw(root, subKey, name, REG_SZ, data.c_str(),
           static_cast<DWORD>((data.size() + 1) * sizeof(wchar_t)));
}

inline void PutDword(HKEY root, std::wstring_view subKey, std::wstring_view name, DWORD value) {
    PutRaw(root, subKey, name, REG_DWORD, &value, sizeof value);
}

} // namespace tessaly::test
