#include "window/ProfileStore_win32.h"
#include <windows.h>
#include <gtest/gtest.h>

namespace {

// Each test works on its own INI file in the temporary folder.
class ProfileStoreTest : public ::testing::Test {
protected:
    ProfileStoreTest() : store(TempFile()) { DeleteFileA(store.FileName().c_str()); }
    ~ProfileStoreTest() override { DeleteFileA(store.FileName().c_str()); }

    static std::string TempFile()
    {
        char folder[MAX_PATH] = {};
        GetTempPathA(MAX_PATH, folder);
        return std::string(folder) + "horalux-profile-test-" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".ini";
    }

    ProfileStore store;
};

} // namespace

TEST_F(ProfileStoreTest, MissingFileOrKeyGivesTheDefaultAndWrittenStringsReadBackAndOverwrite)
{
    EXPECT_EQ("com1", store.GetString("Communication", "CommPort", "com1"));
    ASSERT_TRUE(store.WriteString("Update", "Frequency", "not a number"));
    EXPECT_EQ("60", store.GetString("Update", "Other", "60"));
    EXPECT_EQ("60", store.GetString("Elsewhere", "Frequency", "60"));
    EXPECT_EQ("not a number", store.GetString("Update", "Frequency", "60"));
    ASSERT_TRUE(store.WriteString("Update", "Frequency", "15"));
    EXPECT_EQ("15", store.GetString("Update", "Frequency", "60"));
    ASSERT_TRUE(store.WriteString("Update", "Empty", ""));
    EXPECT_EQ("", store.GetString("Update", "Empty", "60"));
}

TEST_F(ProfileStoreTest, ValuesUpTo4095CharactersReadBackWhole)
{
    std::string value(4095, 'x');
    value[0] = 'a';
    value[4094] = 'z';
    ASSERT_TRUE(store.WriteString("S", "Long", value));
    EXPECT_EQ(value, store.GetString("S", "Long", ""));

    ASSERT_TRUE(store.WriteString("S", "Longer", value + "yy"));
    EXPECT_EQ(value, store.GetString("S", "Longer", ""));
}

TEST_F(ProfileStoreTest, EveryByteValueRoundTripsInABlockLongerThanAStringValue)
{
    std::vector<unsigned char> big(3000);
    for (size_t i = 0; i < big.size(); ++i) big[i] = static_cast<unsigned char>(255 - i % 256);
    ASSERT_TRUE(store.WriteBinary("Window", "WindowPlacement", big.data(), big.size()));
    std::vector<unsigned char> back;
    ASSERT_TRUE(store.GetBinary("Window", "WindowPlacement", back));
    EXPECT_EQ(big, back);
}

TEST_F(ProfileStoreTest, EmptyBlockIsStoredAndNotMissing)
{
    std::vector<unsigned char> out = {1, 2};
    ASSERT_TRUE(store.WriteBinary("S", "Empty", "", 0));
    ASSERT_TRUE(store.GetBinary("S", "Empty", out));
    EXPECT_TRUE(out.empty());
}

// Malformed text is the hex decoder's to refuse; it is tested natively.
TEST_F(ProfileStoreTest, MissingOrMalformedBlocksAreRejected)
{
    const std::vector<unsigned char> before = {9};
    std::vector<unsigned char> out = before;
    EXPECT_FALSE(store.GetBinary("S", "Missing", out));
    ASSERT_TRUE(store.WriteString("S", "Bad", "0G12"));
    EXPECT_FALSE(store.GetBinary("S", "Bad", out));
    EXPECT_EQ(before, out);
}
