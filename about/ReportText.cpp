#include "about/ReportText.h"


namespace {

constexpr uint32_t HighWord(uint32_t value) { return value >> 16; }
constexpr uint32_t LowWord(uint32_t value) { return value & 0xFFFF; }

std::string OsName(const std::optional<OsFacts>& os)
{
    if (!os) return "";
    switch (os->platformId) {
    case 0: return "Windows 3.1";
    case 1: return (os->minorVersion == 0 ? "Windows 95 " : "Windows 98 ") + os->servicePack;
    case 2: return "Windows NT " + os->servicePack;
    default: return "Unknown Microsoft OS ";
    }
}

}  // namespace

std::string GetModuleFileTitle(const SystemFacts& facts)
{
    if (!facts.modulePath) return "";
    const std::string& path = *facts.modulePath;
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// Plain string appends: a stream would link the locale machinery into the
// program, a third of its size.
void AppendVersionText(std::string& out, const SystemFacts& facts)
{
    if (!facts.version) return;
    const VersionFacts& v = *facts.version;
    out += "Version:  " + std::to_string(HighWord(v.productVersionMS)) + '.' +
           std::to_string(LowWord(v.productVersionMS)) + '.' + std::to_string(HighWord(v.productVersionLS)) +
           '.' + std::to_string(LowWord(v.productVersionLS));
    if (v.fileFlags & VS_FF_DEBUG_FLAG) out += " (Debug)";
    out += "\r\n";
    if ((v.fileFlags & VS_FF_SPECIALBUILD_FLAG) && v.specialBuild)
        out += "Special Build: " + *v.specialBuild + "\r\n";
    if ((v.fileFlags & VS_FF_PRIVATEBUILD_FLAG) && v.privateBuild)
        out += "Private Build: " + *v.privateBuild + "\r\n";
}

void AppendSystemText(std::string& out, const SystemFacts& facts)
{
    out += "Name:      " + facts.computerName + "\r\n" +
           "OS:        " + OsName(facts.os) + "\r\n" +
           "CPUS:      " + std::to_string(facts.processorCount) + "\r\n" +
           "CPU Type : " + std::to_string(facts.processorType) + "\r\n" +
           "OEM Id:    " + std::to_string(facts.oemId) + "\r\n\r\n";
}

ProblemReport ComposeProblemReport(const SystemFacts& facts)
{
    ProblemReport result;
    AppendVersionText(result.versionText, facts);
    result.fileTitle = GetModuleFileTitle(facts);

    std::string& report = result.reportText;
    report = ">Environment:\r\nApp:       " + result.fileTitle + "\r\n" + result.versionText + "\r\n";
    AppendSystemText(report, facts);
    report += ">Synopsis: Enter a single line Synopsis of the problem here.\r\n"
              ">Description:\r\n"
              "Enter a description of the problem here.\r\n"
              ">How-To-Repeat:\r\n"
              "Enter a how to repeat the problem here.\r\n";
    return result;
}
