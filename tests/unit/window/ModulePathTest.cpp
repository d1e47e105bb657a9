#include "window/ModulePath.h"
#include <gtest/gtest.h>

TEST(FileTitle, DropsDirectoryAndExtension)
{
    EXPECT_EQ("horalux", FileTitle("C:\\Program Files\\Orvanel\\horalux.exe"));
    EXPECT_EQ("horalux", FileTitle("horalux.exe"));
    EXPECT_EQ("horalux", FileTitle("/usr/lib/horalux.exe"));
}

TEST(FileTitle, OnlyTheLastDotOfTheFileNameStartsTheExtension)
{
    EXPECT_EQ("time.sync", FileTitle("C:\\x\\time.sync.exe"));
    EXPECT_EQ("horalux", FileTitle("C:\\dir.d\\horalux"));
    EXPECT_EQ("horalux", FileTitle("C:horalux.EXE"));
}

TEST(FileTitle, EmptyAndBarePaths)
{
    EXPECT_EQ("", FileTitle(""));
    EXPECT_EQ("", FileTitle("C:\\dir\\"));
    EXPECT_EQ("", FileTitle(".exe"));
}

TEST(ReplaceExtension, ReplacesOrAppends)
{
    EXPECT_EQ("C:\\dir\\horalux.HLP", ReplaceExtension("C:\\dir\\horalux.exe", ".HLP"));
    EXPECT_EQ("C:\\dir.d\\horalux.HLP", ReplaceExtension("C:\\dir.d\\horalux", ".HLP"));
    EXPECT_EQ("C:\\a\\b.c.HLP", ReplaceExtension("C:\\a\\b.c.exe", ".HLP"));
}
