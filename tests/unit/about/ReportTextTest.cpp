#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "about/ReportText.h"

namespace {

// Splits at CR LF and insists that the text ends with one.
std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(text.substr(start, end - start));
    EXPECT_EQ(start, text.size()) << "text does not end with CR LF: " << text;
    return lines;
}

SystemFacts ReleaseOnNt()
{
    SystemFacts facts;
    facts.modulePath = "C:\\Program Files\\Horalux\\horalux.exe";
    facts.version = VersionFacts{0x00020000, 0x00010000, 0, std::nullopt, std::nullopt};
    facts.computerName = "BENCH7";
    facts.processorCount = 1;
    facts.processorType = 8664;
    facts.oemId = 9;
    facts.os = OsFacts{2, 1, "Service Pack 1"};
    return facts;
}

std::string VersionText(const SystemFacts& facts)
{
    std::ostringstream out;
    AppendVersionText(out, facts);
    return out.str();
}

std::string OsLine(uint32_t platform, uint32_t minor, const std::string& servicePack)
{
    SystemFacts facts = ReleaseOnNt();
    facts.os = OsFacts{platform, minor, servicePack};
    std::ostringstream out;
    AppendSystemText(out, facts);
    return Lines(out.str()).at(1);
}

}  // namespace

TEST(ProblemReport, ReleaseBuildOnNtHasFifteenLinesInOrder)
{
    const ProblemReport report = ComposeProblemReport(ReleaseOnNt());
    const std::vector<std::string> expected = {
        ">Environment:",
        "App:       horalux.exe",
        "Version:  2.0.1.0",
        "",
        "Name:      BENCH7",
        "OS:        Windows NT Service Pack 1",
        "CPUS:      1",
        "CPU Type : 8664",
        "OEM Id:    9",
        "",
        ">Synopsis: Enter a single line Synopsis of the problem here.",
        ">Description:",
        "Enter a description of the problem here.",
        ">How-To-Repeat:",
        "Enter a how to repeat the problem here.",
    };
    EXPECT_EQ(Lines(report.reportText), expected);
    EXPECT_EQ(report.versionText, "Version:  2.0.1.0\r\n");
    EXPECT_EQ(report.fileTitle, "horalux.exe");
}

TEST(ProblemReport, WithoutVersionResourceKeepsOnlyTheEmptyLine)
{
    SystemFacts facts = ReleaseOnNt();
    facts.version.reset();
    const ProblemReport report = ComposeProblemReport(facts);
    EXPECT_EQ(report.versionText, "");
    const auto lines = Lines(report.reportText);
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[2], "");
    EXPECT_EQ(lines[3], "Name:      BENCH7");
}

TEST(ProblemReport, FileTitleIsThePartAfterTheLastBackslash)
{
    SystemFacts facts = ReleaseOnNt();
    facts.modulePath = "horalux.exe";
    EXPECT_EQ(GetModuleFileTitle(facts), "horalux.exe");
    facts.modulePath = "C:\\odd\\";
    EXPECT_EQ(GetModuleFileTitle(facts), "");
    facts.modulePath.reset();
    EXPECT_EQ(GetModuleFileTitle(facts), "");
    EXPECT_EQ(Lines(ComposeProblemReport(facts).reportText).at(1), "App:       ");
}

TEST(VersionText, ShowsTheFourProductVersionWords)
{
    SystemFacts facts = ReleaseOnNt();
    facts.version->productVersionMS = 0xFFFF0007;
    facts.version->productVersionLS = 0x000A0000;
    EXPECT_EQ(VersionText(facts), "Version:  65535.7.10.0\r\n");
}

TEST(VersionText, DebugSuffixThenSpecialThenPrivateBuild)
{
    SystemFacts facts = ReleaseOnNt();
    facts.version->fileFlags = VS_FF_DEBUG_FLAG | VS_FF_SPECIALBUILD_FLAG | VS_FF_PRIVATEBUILD_FLAG;
    facts.version->specialBuild = "S1";
    facts.version->privateBuild = "P1";
    EXPECT_EQ(VersionText(facts),
              "Version:  2.0.1.0 (Debug)\r\nSpecial Build: S1\r\nPrivate Build: P1\r\n");
}

TEST(VersionText, BuildLineNeedsBothFlagAndString)
{
    SystemFacts facts = ReleaseOnNt();
    facts.version->fileFlags = VS_FF_SPECIALBUILD_FLAG | VS_FF_PRIVATEBUILD_FLAG;
    facts.version->privateBuild = "P1";
    EXPECT_EQ(VersionText(facts), "Version:  2.0.1.0\r\nPrivate Build: P1\r\n");

    facts.version->fileFlags = 0;
    facts.version->specialBuild = "S1";
    EXPECT_EQ(VersionText(facts), "Version:  2.0.1.0\r\n");
}

TEST(SystemText, PlatformTable)
{
    EXPECT_EQ(OsLine(0, 0, "ignored"), "OS:        Windows 3.1");
    EXPECT_EQ(OsLine(1, 0, " B"), "OS:        Windows 95  B");
    EXPECT_EQ(OsLine(1, 10, " A"), "OS:        Windows 98  A");
    EXPECT_EQ(OsLine(2, 0, ""), "OS:        Windows NT ");
    EXPECT_EQ(OsLine(3, 0, "ignored"), "OS:        Unknown Microsoft OS ");
}

TEST(SystemText, FailedQueriesDegradeQuietly)
{
    SystemFacts facts;
    facts.processorCount = 4294967295u;
    std::ostringstream out;
    AppendSystemText(out, facts);
    EXPECT_EQ(out.str(),
              "Name:      Unknown\r\n"
              "OS:        \r\n"
              "CPUS:      4294967295\r\n"
              "CPU Type : 0\r\n"
              "OEM Id:    0\r\n"
              "\r\n");
}
