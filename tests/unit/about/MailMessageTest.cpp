#include <gtest/gtest.h>

#include <string>

#include "about/MailMessage.h"

namespace {

class RecordOnly : public CMailMessage {
public:
    bool IsAvailable() override { return false; }
    bool GetError(std::string& text) override { text.clear(); return false; }
    bool Send(unsigned long) override { return false; }
};

}  // namespace

TEST(MailMessage, RecipientsAreToEntriesThenCcEntries)
{
    RecordOnly message;
    message.to = {"t1", "t2"};
    message.cc = {"c1"};
    const MailRequest request = message.ComposeRequest();
    ASSERT_EQ(request.recipients.size(), 3u);
    EXPECT_EQ(request.recipients[0].recipClass, MAPI_TO);
    EXPECT_EQ(request.recipients[1].name, "t2");
    EXPECT_EQ(request.recipients[2].recipClass, MAPI_CC);
    EXPECT_EQ(request.recipients[2].name, "c1");
}

TEST(MailMessage, EachAttachmentStandsOnABlankAfterTheBody)
{
    RecordOnly message;
    message.body = std::string(40, 'x');
    message.attachments = {{"C:\\a.txt", "a.txt"}, {"C:\\b.log", "b.log"}};
    const MailRequest request = message.ComposeRequest();
    EXPECT_EQ(request.noteText, message.body + "  ");
    ASSERT_EQ(request.files.size(), 2u);
    EXPECT_EQ(request.files[0].position, 40u);
    EXPECT_EQ(request.files[0].pathName, "C:\\a.txt");
    EXPECT_EQ(request.files[1].position, 41u);
    EXPECT_EQ(request.files[1].fileName, "b.log");
}

TEST(MailMessage, ComposingTwiceLeavesTheBodyAlone)
{
    RecordOnly message;
    message.body = "body";
    message.attachments = {{"p", "f"}};
    message.ComposeRequest();
    const MailRequest again = message.ComposeRequest();
    EXPECT_EQ(message.body, "body");
    EXPECT_EQ(again.noteText, "body ");
    EXPECT_EQ(again.files.at(0).position, 4u);
}
