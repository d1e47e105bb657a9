#include <gtest/gtest.h>

#include <string>

#include "about/ReportText.h"

namespace {

const char* const kTemplateEnd =
    ">Synopsis: Enter a single line Synopsis of the problem here.\r\n"
    ">Description:\r\n"
    "Enter a description of the problem here.\r\n"
    ">How-To-Repeat:\r\n"
    "Enter a how to repeat the problem here.\r\n";

}  // namespace

TEST(ProblemReport, JoinsTitleVersionAndSystemWithTheTemplate)
{
    const struct { SystemFacts facts; std::string version, title, report; } rows[] = {
        {{"C:\\Program Files\\Horalux\\horalux.exe", VersionFacts{0x00020000, 0x00010000, 0, {}, {}}, "BENCH7", 2,
          8664, 9, OsFacts{2, 1, "Service Pack 1"}},
         "Version:  2.0.1.0\r\n", "horalux.exe",
         ">Environment:\r\nApp:       horalux.exe\r\nVersion:  2.0.1.0\r\n\r\n"
         "Name:      BENCH7\r\nOS:        Windows NT Service Pack 1\r\nCPUS:      2\r\n"
         "CPU Type : 8664\r\nOEM Id:    9\r\n\r\n"},
        {{std::nullopt, std::nullopt, "Unknown", 4294967295u, 0, 0, std::nullopt}, "", "",  // all queries failed
         ">Environment:\r\nApp:       \r\n\r\nName:      Unknown\r\nOS:        \r\n"
         "CPUS:      4294967295\r\nCPU Type : 0\r\nOEM Id:    0\r\n\r\n"},
    };
    for (const auto& row : rows) {
        const ProblemReport report = ComposeProblemReport(row.facts);
        EXPECT_EQ(report.versionText, row.version);
        EXPECT_EQ(report.fileTitle, row.title);
        EXPECT_EQ(report.reportText, row.report + kTemplateEnd);
    }
}

TEST(VersionText, ProductWordsDebugSuffixAndBuildLinesThatNeedFlagAndString)
{
    constexpr uint32_t debug = VS_FF_DEBUG_FLAG, special = VS_FF_SPECIALBUILD_FLAG, priv = VS_FF_PRIVATEBUILD_FLAG;
    const struct { uint32_t flags; bool strings; std::string end; } rows[] = {
        {0, true, "\r\n"},
        {debug | special | priv, true, " (Debug)\r\nSpecial Build: S1\r\nPrivate Build: P1\r\n"},
        {special | priv, false, "\r\n"},
        {priv, true, "\r\nPrivate Build: P1\r\n"},
        {special, true, "\r\nSpecial Build: S1\r\n"},
    };
    for (const auto& row : rows) {
        SystemFacts facts;
        facts.version = VersionFacts{0xFFFF0107, 0x000A0003, row.flags, std::nullopt, std::nullopt};
        if (row.strings) facts.version->specialBuild = "S1", facts.version->privateBuild = "P1";
        std::string out;
        AppendVersionText(out, facts);
        EXPECT_EQ(out, "Version:  65535.263.10.3" + row.end) << row.flags;
    }
}

TEST(SystemText, PlatformTable)
{
    const struct { uint32_t platform, minor; const char* pack; const char* name; } rows[] = {
        {0, 0, "x", "Windows 3.1"}, {1, 0, " B", "Windows 95  B"}, {1, 10, " A", "Windows 98  A"},
        {2, 0, "", "Windows NT "},  {3, 0, "x", "Unknown Microsoft OS "},
    };
    for (const auto& row : rows) {
        SystemFacts facts;
        facts.os = OsFacts{row.platform, row.minor, row.pack};
        std::string out;
        AppendSystemText(out, facts);
        EXPECT_NE(out.find(std::string("\r\nOS:        ") + row.name + "\r\n"), std::string::npos) << row.name;
    }
}
