#include <gtest/gtest.h>

#include <string>

#include "about/MailMessage.h"

namespace {

// A message that records nothing beyond its fields; the abstract operations
// belong to the mail service wrapper.
class RecordOnly : public CMailMessage {
public:
    bool IsAvailable() override { return false; }
    bool GetError(std::string& text) override { text.clear(); return false; }
    bool Send(unsigned long) override { return false; }
};

}  // namespace

TEST(MailMessage, SetRecipientReplacesTheToList)
{
    RecordOnly message;
    message.to = {"a@x.example", "b@x.example"};
    message.SetRecipient("support@orvanel.example.com");
    EXPECT_EQ(message.to, std::vector<std::string>{"support@orvanel.example.com"});
}

TEST(MailMessage, RecipientsAreToEntriesThenCcEntriesNamesOnly)
{
    RecordOnly message;
    message.to = {"t1", "t2"};
    message.cc = {"c1"};
    const MailRequest request = message.ComposeRequest();
    ASSERT_EQ(request.recipients.size(), 3u);
    EXPECT_EQ(request.recipients[0].recipClass, MAPI_TO);
    EXPECT_EQ(request.recipients[0].name, "t1");
    EXPECT_EQ(request.recipients[1].recipClass, MAPI_TO);
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
    ASSERT_EQ(request.noteText.size(), 42u);
    EXPECT_EQ(request.noteText.substr(0, 40), message.body);
    EXPECT_EQ(request.noteText.substr(40), "  ");
    ASSERT_EQ(request.files.size(), 2u);
    EXPECT_EQ(request.files[0].position, 40u);
    EXPECT_EQ(request.files[0].pathName, "C:\\a.txt");
    EXPECT_EQ(request.files[0].fileName, "a.txt");
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

TEST(MailMessage, PlainMessageHasNoFilesAndKeepsEmptyTexts)
{
    RecordOnly message;
    message.SetRecipient("sales@orvanel.example.com");
    const MailRequest request = message.ComposeRequest();
    EXPECT_TRUE(request.files.empty());
    EXPECT_EQ(request.noteText, "");
    EXPECT_EQ(request.subject, "");
    EXPECT_EQ(request.originator, "");
    ASSERT_EQ(request.recipients.size(), 1u);
}

TEST(MailMessage, CopyAssignmentCopiesAllSixFields)
{
    RecordOnly source;
    source.originator = "o";
    source.subject = "s";
    source.body = "b";
    source.to = {"t"};
    source.cc = {"c"};
    source.attachments = {{"p", "f"}};
    RecordOnly copy;
    copy.to = {"old"};
    copy = source;
    EXPECT_EQ(copy.originator, "o");
    EXPECT_EQ(copy.subject, "s");
    EXPECT_EQ(copy.body, "b");
    EXPECT_EQ(copy.to, source.to);
    EXPECT_EQ(copy.cc, source.cc);
    ASSERT_EQ(copy.attachments.size(), 1u);
    EXPECT_EQ(copy.attachments[0].fileName, "f");
}
