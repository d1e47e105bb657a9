#pragma once
// Another executable opened for its resources only.
#include <windows.h>

#include <string>

class ResourceModule {
public:
    explicit ResourceModule(const std::string& path)
        : handle_(LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))
    {
    }
    ~ResourceModule()
    {
        if (handle_)
            FreeLibrary(handle_);
    }
    ResourceModule(const ResourceModule&) = delete;
    ResourceModule& operator=(const ResourceModule&) = delete;
    HMODULE Get() const { return handle_; }

private:
    HMODULE handle_;
};
