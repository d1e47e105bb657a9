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
