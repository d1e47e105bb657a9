#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/ContactTable.h"

TEST(ContactTable, BlockIsNinePaddedLines)
{
    std::vector<std::string> lines;
    const std::string block = ContactTable[CONTACT_BLOCK];
    size_t start = 0;
    for (size_t end; (end = block.find("\r\n", start)) != std::string::npos; start = end + 2)
        lines.push_back(block.substr(start, end - start));
    ASSERT_EQ(start, block.size());
    ASSERT_EQ(lines.size(), 9u);

    const size_t widths[9] = {35, 36, 36, 35, 33, 36, 36, 36, 36};
    for (size_t i = 0; i < 9; ++i) EXPECT_EQ(lines[i].size(), widths[i]) << "line " << i + 1;
    EXPECT_EQ(lines[3].rfind("Phone:\t", 0), 0u);
    EXPECT_EQ(lines[4].rfind("Fax:\t", 0), 0u);
    EXPECT_EQ(lines[5], std::string(36, ' '));
}
