#pragma once
#include <windows.h>

#include <string>

// Points HKEY_CLASSES_ROOT of this process at an empty volatile key for the
// object's life, so file associations are the test's own.
class ScratchClassesRoot {
public:
    ScratchClassesRoot()
    {
        RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
        RegCreateKeyExA(HKEY_CURRENT_USER, kPath, 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                        nullptr, &root_, nullptr);
        overridden_ = root_ && RegOverridePredefKey(HKEY_CLASSES_ROOT, root_) == ERROR_SUCCESS;
    }
    ~ScratchClassesRoot()
    {
        RegOverridePredefKey(HKEY_CLASSES_ROOT, nullptr);
        if (root_) RegCloseKey(root_);
        RegDeleteTreeA(HKEY_CURRENT_USER, kPath);
    }
    ScratchClassesRoot(const ScratchClassesRoot&) = delete;
    ScratchClassesRoot& operator=(const ScratchClassesRoot&) = delete;

    bool Active() const { return overridden_; }

    // Creates the key; an empty value leaves its default unset.
    void SetDefault(const std::string& subkey, const std::string& value)
    {
        HKEY key = nullptr;
        if (RegCreateKeyExA(root_, subkey.c_str(), 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                            nullptr, &key, nullptr) != ERROR_SUCCESS)
            return;
        if (!value.empty())
            RegSetValueExA(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                           static_cast<DWORD>(value.size() + 1));
        RegCloseKey(key);
    }

private:
    static constexpr const char* kPath = "Software\\HoraluxTests\\Classes";
    HKEY root_ = nullptr;
    bool overridden_ = false;
};
