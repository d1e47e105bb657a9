#include "about/ReportText.h"

#include <sstream>

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

void AppendVersionText(std::ostream& out, const SystemFacts& facts)
{
    if (!facts.version) return;
    const VersionFacts& v = *facts.version;
    out << "Version: " << ' '
        << HighWord(v.productVersionMS) << '.' << LowWord(v.productVersionMS) << '.'
        << HighWord(v.productVersionLS) << '.' << LowWord(v.productVersionLS);
    if (v.fileFlags & VS_FF_DEBUG_FLAG) out << " (Debug)";
    out << "\r\n";
    if ((v.fileFlags & VS_FF_SPECIALBUILD_FLAG) && v.specialBuild)
        out << "Special Build: " << *v.specialBuild << "\r\n";
    if ((v.fileFlags & VS_FF_PRIVATEBUILD_FLAG) && v.privateBuild)
        out << "Private Build: " << *v.privateBuild << "\r\n";
}

void AppendSystemText(std::ostream& out, const SystemFacts& facts)
{
    out << "Name:      " << facts.computerName << "\r\n"
        << "OS:        " << OsName(facts.os) << "\r\n"
        << "CPUS:      " << facts.processorCount << "\r\n"
        << "CPU Type : " << facts.processorType << "\r\n"
        << "OEM Id:    " << facts.oemId << "\r\n"
        << "\r\n";
}

ProblemReport ComposeProblemReport(const SystemFacts& facts)
{
    ProblemReport result;
    std::ostringstream version;
    AppendVersionText(version, facts);
    result.versionText = version.str();
    result.fileTitle = GetModuleFileTitle(facts);

    std::ostringstream report;
    report << ">Environment:\r\n"
           << "App:       " << result.fileTitle << "\r\n"
           << result.versionText << "\r\n";
    AppendSystemText(report, facts);
    report << ">Synopsis: Enter a single line Synopsis of the problem here.\r\n"
           << ">Description:\r\n"
           << "Enter a description of the problem here.\r\n"
           << ">How-To-Repeat:\r\n"
           << "Enter a how to repeat the problem here.\r\n";
    result.reportText = report.str();
    return result;
}
