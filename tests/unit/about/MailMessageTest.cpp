#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "about/ContactTable.h"
#include "about/MailMessage.h"

namespace {

struct RecordOnly : CMailMessage {
    bool IsAvailable() override { return false; }
    bool GetError(std::string&) override { return false; }
    bool Send(unsigned long) override { return false; }
};

}  // namespace

TEST(MailMessage, RequestKeepsEachRecipientsClassAndPutsFilesOnBlanksAfterTheBody)
{
    RecordOnly message;
    message.originator = "me";
    message.SetRecipient("replaced");
    message.SetRecipient("to");
    message.cc = {"cc1", "cc2"};
    message.subject = "s";
    message.body = "body";
    message.attachments = {{"C:\\a.txt", "a.txt"}, {"C:\\b.txt", "b.txt"}};
    message.ComposeRequest();
    const MailRequest request = message.ComposeRequest();

    std::string seen = request.originator + "|" + request.subject + "|" + request.noteText + "|";
    for (const auto& r : request.recipients) seen += std::to_string(r.recipClass) + r.name + " ";
    for (const auto& f : request.files) seen += std::to_string(f.position) + f.pathName + "," + f.fileName + " ";
    EXPECT_EQ(seen, "me|s|body  |1to 2cc1 2cc2 4C:\\a.txt,a.txt 5C:\\b.txt,b.txt ");
    EXPECT_EQ(message.body, "body") << "composing must not grow the body";
}

TEST(ContactTable, SubjectsAddressesAndAnAlignedNineLineBlock)
{
    EXPECT_STREQ(ContactTable[CONTACT_SUPPORT_SUBJECT], "Problem Report");
    EXPECT_STREQ(ContactTable[CONTACT_SALES_SUBJECT], "Request for Information");
    EXPECT_STRNE(ContactTable[CONTACT_SUPPORT_ADDRESS], ContactTable[CONTACT_SALES_ADDRESS]);
    const std::string block = ContactTable[CONTACT_BLOCK];
    std::vector<size_t> widths;
    for (size_t at = 0, end; (end = block.find("\r\n", at)) != std::string::npos; at = end + 2)
        widths.push_back(end - at);
    EXPECT_EQ(widths, (std::vector<size_t>{35, 36, 36, 35, 33, 36, 36, 36, 36}));
}
