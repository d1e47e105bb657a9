#include <gtest/gtest.h>
#include <windows.h>

#include <string>

#include "about/ReportText.h"
#include "about/SystemFacts_win32.h"

namespace {

std::string ExecutableName()
{
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
    std::string whole(path, length);
    return whole.substr(whole.rfind('\\') + 1);
}

std::string Line(const std::string& text, int index)
{
    size_t start = 0;
    for (int i = 0; i < index; ++i) start = text.find("\r\n", start) + 2;
    return text.substr(start, text.find("\r\n", start) - start);
}

}  // namespace

TEST(SystemFacts, ReportUsesTheRealSystemQueries)
{
    const SystemFacts facts = GatherSystemFacts();
    const std::string report = ComposeProblemReport(facts).reportText;

    char name[64] = "";
    DWORD size = sizeof name;
    ASSERT_TRUE(GetComputerNameA(name, &size));
    // Names that do not fit the report's 16-character buffer stay "Unknown".
    const std::string expectedName = std::string(name).size() < 16 ? name : "Unknown";
    SYSTEM_INFO info;
    GetSystemInfo(&info);

    EXPECT_EQ(Line(report, 0), ">Environment:");
    EXPECT_EQ(Line(report, 1), "App:       " + ExecutableName());
    EXPECT_EQ(Line(report, 2), "Version:  2.0.1.0");
    EXPECT_EQ(Line(report, 3), "");
    EXPECT_EQ(Line(report, 4), "Name:      " + expectedName);
    EXPECT_EQ(Line(report, 5).rfind("OS:        Windows NT ", 0), 0u) << Line(report, 5);
    EXPECT_EQ(Line(report, 6), "CPUS:      " + std::to_string(info.dwNumberOfProcessors));
    EXPECT_GE(info.dwNumberOfProcessors, 1u);
    EXPECT_EQ(Line(report, 7), "CPU Type : " + std::to_string(info.dwProcessorType));
    EXPECT_EQ(Line(report, 10), ">Synopsis: Enter a single line Synopsis of the problem here.");
    ASSERT_TRUE(facts.version.has_value());
    EXPECT_EQ(facts.version->specialBuild, std::optional<std::string>("present but not flagged"));
    EXPECT_FALSE(facts.version->privateBuild.has_value());
}
