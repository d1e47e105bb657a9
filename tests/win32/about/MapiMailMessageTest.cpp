#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <memory>
#include <string>

#include "FakeMapiRecord.h"
#include "about/AboutStrings.h"
#include "about/MapiMailMessage_win32.h"

namespace {

template <class Proc>
Proc Export(HMODULE module, const char* name)
{
    return reinterpret_cast<Proc>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

bool MailLibraryLoaded()
{
    return GetModuleHandleA("MAPI32.DLL") != nullptr;
}

// Holds the test mail library for the test's length so its record can be read.
class MapiMailMessageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        library_ = LoadLibraryA(FakeMapiPath().c_str());
        ASSERT_NE(library_, nullptr);
        lastCall_ = Export<FakeMapiLastCallProc>(library_, "FakeMapiLastCall");
        setResult_ = Export<FakeMapiSetResultProc>(library_, "FakeMapiSetResult");
        ASSERT_NE(lastCall_, nullptr);
        Export<FakeMapiResetProc>(library_, "FakeMapiReset")();
    }
    void TearDown() override
    {
        if (library_) FreeLibrary(library_);
    }

    const FakeMapiCall& Last() { return *lastCall_(); }

    HMODULE library_ = nullptr;
    FakeMapiLastCallProc lastCall_ = nullptr;
    FakeMapiSetResultProc setResult_ = nullptr;
};

}  // namespace

TEST_F(MapiMailMessageTest, DialogSendHandsOverOneNamedRecipientSubjectAndBody)
{
    CMapiMailMessage message(FakeMapiPath());
    std::string text;
    EXPECT_FALSE(message.GetError(text));
    EXPECT_EQ(text, TEXT_MAIL_NO_ERROR);

    message.SetRecipient("support@orvanel.example.com");
    message.subject = "Problem Report";
    message.body = "It stopped.";
    EXPECT_TRUE(message.Send(MAPI_DIALOG));

    const FakeMapiCall& call = Last();
    EXPECT_EQ(call.calls, 1);
    EXPECT_EQ(call.flags, 9u);
    EXPECT_EQ(call.session, 0u);
    EXPECT_STREQ(call.subject, "Problem Report");
    EXPECT_STREQ(call.note, "It stopped.");
    EXPECT_EQ(call.originatorClass, MAPI_ORIG);
    ASSERT_EQ(call.recipCount, 1u);
    EXPECT_EQ(call.recips[0].recipClass, MAPI_TO);
    EXPECT_STREQ(call.recips[0].name, "support@orvanel.example.com");
    EXPECT_TRUE(call.recips[0].addressNull);
    EXPECT_EQ(call.fileCount, 0u);

    // Empty texts arrive as empty strings.
    message.subject.clear();
    message.body.clear();
    EXPECT_TRUE(message.Send(MAPI_DIALOG));
    EXPECT_FALSE(Last().subjectNull);
    EXPECT_FALSE(Last().noteNull);
    EXPECT_STREQ(Last().subject, "");
    EXPECT_STREQ(Last().note, "");
}

TEST_F(MapiMailMessageTest, AttachmentsStandOnBlanksAfterTheBody)
{
    CMapiMailMessage message(FakeMapiPath());
    message.SetRecipient("a");
    message.body = std::string(40, 'b');
    message.attachments = {{"C:\\logs\\one.txt", "one.txt"}, {"C:\\logs\\two.txt", "two.txt"}};
    EXPECT_TRUE(message.Send(0));

    const FakeMapiCall& call = Last();
    EXPECT_EQ(call.flags, MAPI_LOGON_UI);
    EXPECT_EQ(std::strlen(call.note), 42u);
    ASSERT_EQ(call.fileCount, 2u);
    EXPECT_EQ(call.files[0].position, 40u);
    EXPECT_STREQ(call.files[0].pathName, "C:\\logs\\one.txt");
    EXPECT_STREQ(call.files[0].fileName, "one.txt");
    EXPECT_EQ(call.files[1].position, 41u);
}

TEST_F(MapiMailMessageTest, FailedHandOverSticks)
{
    CMapiMailMessage message(FakeMapiPath());
    message.SetRecipient("a");
    setResult_(1);
    EXPECT_FALSE(message.Send(MAPI_DIALOG));
    std::string text;
    EXPECT_TRUE(message.GetError(text));
    EXPECT_EQ(text, "Error: MAPI32.DLL, SendMail() returned 1.");

    setResult_(0);
    EXPECT_FALSE(message.Send(MAPI_DIALOG));
    EXPECT_EQ(Last().calls, 2);
    EXPECT_TRUE(message.GetError(text));
    EXPECT_EQ(text, "Error: MAPI32.DLL, SendMail() returned 1.");
}

TEST(MapiMailLibrary, LoadsAtTheFirstSendAndCopiesKeepTheLoadCountBalanced)
{
    {
        // The system folder's library or none, never the one beside the program.
        CMapiMailMessage system;
        EXPECT_TRUE(system.Send(MAPI_DIALOG));
        EXPECT_EQ(GetModuleHandleA(FakeMapiPath().c_str()), nullptr);
    }
    ASSERT_FALSE(MailLibraryLoaded()) << "an earlier test left the mail library loaded";
    {
        CMapiMailMessage kept;
        {
            auto source = std::make_unique<CMapiMailMessage>(FakeMapiPath());
            source->SetRecipient("x");
            EXPECT_FALSE(MailLibraryLoaded());
            EXPECT_TRUE(source->Send(MAPI_DIALOG));
            CMapiMailMessage assigned;
            assigned = *source;
            assigned = assigned;
            CMapiMailMessage constructed(*source);
            kept = constructed;
            source.reset();
            EXPECT_TRUE(assigned.Send(MAPI_DIALOG));
        }
        ASSERT_TRUE(MailLibraryLoaded());
        EXPECT_TRUE(kept.Send(MAPI_DIALOG));
    }
    EXPECT_FALSE(MailLibraryLoaded());
}
