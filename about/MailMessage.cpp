#include "about/MailMessage.h"

void CMailMessage::SetRecipient(const std::string& address)
{
    to.clear();
    to.push_back(address);
}

MailRequest CMailMessage::ComposeRequest() const
{
    MailRequest request;
    request.originator = originator;
    request.subject = subject;
    for (const std::string& name : to) request.recipients.push_back({MAPI_TO, name});
    for (const std::string& name : cc) request.recipients.push_back({MAPI_CC, name});

    const unsigned long bodyLength = static_cast<unsigned long>(body.size());
    request.noteText = body + std::string(attachments.size(), ' ');
    for (size_t i = 0; i < attachments.size(); ++i)
        request.files.push_back({attachments[i].pathName, attachments[i].fileName,
                                 bodyLength + static_cast<unsigned long>(i)});
    return request;
}
