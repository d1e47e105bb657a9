#pragma once
#include <cstdint>
#include <optional>
#include <string>

// What the program's version resource says about itself.
struct VersionFacts {
    uint32_t productVersionMS = 0;
    uint32_t productVersionLS = 0;
    uint32_t fileFlags = 0;
    std::optional<std::string> specialBuild;  // absent: the string could not be queried
    std::optional<std::string> privateBuild;
};

struct OsFacts {
    uint32_t platformId = 0;
    uint32_t minorVersion = 0;
    std::string servicePack;
};

// Everything the report texts need from the machine, gathered in one go so
// the texts themselves can be built and tested anywhere.
struct SystemFacts {
    std::optional<std::string> modulePath;  // absent: the module name query failed
    std::optional<VersionFacts> version;    // absent: no version resource
    std::string computerName = "Unknown";
    uint32_t processorCount = 0;
    uint32_t processorType = 0;
    uint32_t oemId = 0;
    std::optional<OsFacts> os;              // absent: GetVersionEx failed
};

constexpr uint32_t VS_FF_DEBUG_FLAG = 0x01;
constexpr uint32_t VS_FF_PRIVATEBUILD_FLAG = 0x08;
constexpr uint32_t VS_FF_SPECIALBUILD_FLAG = 0x20;
