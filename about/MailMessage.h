#pragma once
#include <string>
#include <vector>

// Simple MAPI recipient classes and flags, as the mail service defines them.
constexpr unsigned long MAPI_ORIG = 0;
constexpr unsigned long MAPI_TO = 1;
constexpr unsigned long MAPI_CC = 2;
constexpr unsigned long MAPI_LOGON_UI = 0x00000001;
constexpr unsigned long MAPI_DIALOG = 0x00000008;
constexpr unsigned long SUCCESS_SUCCESS = 0;

struct MailAttachment {
    std::string pathName;
    std::string fileName;
};

struct MailRecipient {
    unsigned long recipClass = MAPI_TO;
    std::string name;
};

struct MailFile {
    std::string pathName;
    std::string fileName;
    unsigned long position = 0;  // index of the note character the file stands on
};

// The message as the mail service receives it.
struct MailRequest {
    std::string originator;
    std::string subject;
    std::string noteText;
    std::vector<MailRecipient> recipients;  // To entries first, then CC
    std::vector<MailFile> files;
};

class CMailMessage {
public:
    CMailMessage() = default;
    CMailMessage(const CMailMessage&) = default;
    CMailMessage& operator=(const CMailMessage&) = default;
    virtual ~CMailMessage() = default;

    virtual bool IsAvailable() = 0;
    virtual bool GetError(std::string& text) = 0;
    virtual bool Send(unsigned long flags) = 0;

    void SetRecipient(const std::string& address);

    // Each attachment gets a blank of its own appended to the note; the body
    // itself is left alone so that sending twice does not grow it.
    MailRequest ComposeRequest() const;

    std::string originator;
    std::string subject;
    std::string body;
    std::vector<std::string> to;
    std::vector<std::string> cc;
    std::vector<MailAttachment> attachments;
};
