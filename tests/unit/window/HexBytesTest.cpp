#include "window/HexBytes.h"
#include <gtest/gtest.h>

TEST(HexBytes, EncodesTwoUpperCaseDigitsPerByte)
{
    const unsigned char bytes[] = {0x00, 0x0F, 0xA5, 0xFF};
    EXPECT_EQ("000FA5FF", EncodeHex(bytes, sizeof bytes));
    EXPECT_EQ("", EncodeHex(bytes, 0));
}

TEST(HexBytes, EveryByteValueRoundTrips)
{
    std::vector<unsigned char> all(256);
    for (int i = 0; i < 256; ++i) all[i] = static_cast<unsigned char>(i);
    std::vector<unsigned char> back;
    ASSERT_TRUE(DecodeHex(EncodeHex(all.data(), all.size()), back));
    EXPECT_EQ(all, back);
}

TEST(HexBytes, AcceptsLowerCaseDigitsAndEmptyText)
{
    std::vector<unsigned char> out;
    ASSERT_TRUE(DecodeHex("abCD", out));
    EXPECT_EQ((std::vector<unsigned char>{0xAB, 0xCD}), out);
    ASSERT_TRUE(DecodeHex("", out));
    EXPECT_TRUE(out.empty());
}

TEST(HexBytes, RejectsMalformedTextAndKeepsOutput)
{
    const std::vector<unsigned char> before = {7, 8};
    for (const char* bad : {"ABC", "0G", "G0", " 00", "00 ", "0x00", "?", "--"}) {
        std::vector<unsigned char> out = before;
        EXPECT_FALSE(DecodeHex(bad, out)) << bad;
        EXPECT_EQ(before, out) << bad;
    }
}
