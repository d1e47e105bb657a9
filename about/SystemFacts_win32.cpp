#include "about/SystemFacts_win32.h"

#include <windows.h>

#include <vector>

#include "about/ReportText.h"
#include "window/Application.h"

namespace {

static_assert(sizeof(OSVERSIONINFOA) == 148, "the version query needs the ANSI record size");

std::optional<std::string> ModulePath()
{
    std::string path = Application::Instance().ModulePath();
    if (path.empty()) return std::nullopt;
    return path;
}

std::optional<std::string> QueryString(const std::vector<char>& block, const char* name)
{
    void* value = nullptr;
    UINT length = 0;
    if (!VerQueryValueA(block.data(), name, &value, &length) || !value) return std::nullopt;
    return std::string(static_cast<const char*>(value));
}

// The resource is looked up by the bare file name, as the program always has.
std::optional<VersionFacts> Version(const std::string& fileTitle)
{
    DWORD ignored = 0;
    const DWORD size = GetFileVersionInfoSizeA(fileTitle.c_str(), &ignored);
    if (size == 0) return std::nullopt;
    std::vector<char> block(size);
    if (!GetFileVersionInfoA(fileTitle.c_str(), 0, size, block.data())) return std::nullopt;
    void* fixedValue = nullptr;
    UINT fixedLength = 0;
    if (!VerQueryValueA(block.data(), "\\", &fixedValue, &fixedLength) || !fixedValue ||
        fixedLength < sizeof(VS_FIXEDFILEINFO))
        return std::nullopt;
    const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(fixedValue);

    VersionFacts facts;
    facts.productVersionMS = fixed->dwProductVersionMS;
    facts.productVersionLS = fixed->dwProductVersionLS;
    facts.fileFlags = fixed->dwFileFlags;
    facts.specialBuild = QueryString(block, "\\StringFileInfo\\040904B0\\SpecialBuild");
    facts.privateBuild = QueryString(block, "\\StringFileInfo\\040904B0\\PrivateBuild");
    return facts;
}

}  // namespace

SystemFacts GatherSystemFacts()
{
    SystemFacts facts;
    facts.modulePath = ModulePath();
    if (facts.modulePath) facts.version = Version(GetModuleFileTitle(facts));

    char name[16] = "Unknown";
    DWORD nameSize = sizeof name;
    if (GetComputerNameA(name, &nameSize)) facts.computerName = name;

    SYSTEM_INFO info;
    GetSystemInfo(&info);
    facts.processorCount = info.dwNumberOfProcessors;
    facts.processorType = info.dwProcessorType;
    facts.oemId = info.dwOemId;

    OSVERSIONINFOA os{};
    os.dwOSVersionInfoSize = sizeof os;
    if (GetVersionExA(&os)) facts.os = OsFacts{os.dwPlatformId, os.dwMinorVersion, os.szCSDVersion};
    return facts;
}
