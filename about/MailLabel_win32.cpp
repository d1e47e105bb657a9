#include "about/MailLabel_win32.h"

bool CMailLabel::OpenTarget(const std::string&, int)
{
    message.Send(MAPI_DIALOG);
    return true;
}
