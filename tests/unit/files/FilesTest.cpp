#include "files/HexBytes.h"
#include "files/FileUrl.h"
#include "files/ModulePath.h"
#include <gtest/gtest.h>

TEST(HexBytes, EveryByteValueRoundTripsAsTwoUpperCaseDigits)
{
    std::vector<unsigned char> all(256), back;
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    const std::string text = EncodeHex(all.data(), all.size());
    EXPECT_EQ("000102", text.substr(0, 6));
    EXPECT_EQ("A5A6", text.substr(0xA5 * 2, 4));
    EXPECT_EQ("FF", text.substr(510));
    ASSERT_TRUE(DecodeHex(text, back));
    EXPECT_EQ(all, back);
    ASSERT_TRUE(DecodeHex("abCD", back));
    EXPECT_EQ((std::vector<unsigned char>{0xAB, 0xCD}), back);
}

TEST(HexBytes, MalformedTextIsRejectedAndKeepsTheOutput)
{
    for (const char* bad : {"ABC", "0G", "G0", " 00", "0x00"}) {
        std::vector<unsigned char> out = {7, 8};
        EXPECT_FALSE(DecodeHex(bad, out)) << bad;
        EXPECT_EQ((std::vector<unsigned char>{7, 8}), out) << bad;
    }
}

TEST(ModulePath, TitleAndExtensionAndTheFileUrlOfAPath)
{
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Program Files\\horalux.exe", "horalux"}, {"/usr/lib/horalux.exe", "horalux"},
        {"C:\\x\\time.sync.exe", "time.sync"},         {"C:\\dir.d\\horalux", "horalux"},
        {"C:horalux.EXE", "horalux"},                  {"C:\\dir\\", ""},
    };
    for (const auto& [path, title] : cases) EXPECT_EQ(title, FileTitle(path)) << path;
    EXPECT_EQ("C:\\a\\b.c.HLP", ReplaceExtension("C:\\a\\b.c.exe", ".HLP"));
    EXPECT_EQ("C:\\dir.d\\horalux.HLP", ReplaceExtension("C:\\dir.d\\horalux", ".HLP"));
    EXPECT_EQ("file:///C:/Program%20Files/H%23%25/h.htm#main", FileUrl("C:\\Program Files\\H#%\\h.htm", "main"));
    EXPECT_EQ("file://server/share/h.htm", FileUrl("\\\\server\\share\\h.htm", ""));
}
