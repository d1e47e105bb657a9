#pragma once
// Identifiers and texts of the About subsystem's string-table entries. The
// resource script and the tests both read them from here. Plain defines:
// windres reads this file too.

#define IDS_MAIL_NO_ERROR        10000
#define IDS_MAIL_NO_SENDMAIL     10001
#define IDS_MAIL_NO_LIBRARY      10002
#define IDS_MAIL_SEND_FAILED     10003

#define TEXT_MAIL_NO_ERROR       "No Error."
#define TEXT_MAIL_NO_SENDMAIL    "Error: Loaded MAPI32.DLL, Couldn't find SendMail()!"
#define TEXT_MAIL_NO_LIBRARY     "Error: Can't find MAPI32.DLL."
#define TEXT_MAIL_SEND_FAILED    "Error: MAPI32.DLL, SendMail() returned %d."
