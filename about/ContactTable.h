#pragma once

// The maker's contact texts shown and used by the About dialog.
enum ContactEntry {
    CONTACT_BLOCK = 0,
    CONTACT_WEB_ADDRESS = 1,
    CONTACT_SUPPORT_ADDRESS = 2,
    CONTACT_SUPPORT_SUBJECT = 3,
    CONTACT_SALES_ADDRESS = 4,
    CONTACT_SALES_SUBJECT = 5,
    CONTACT_ENTRY_COUNT = 6
};

extern const char* const ContactTable[CONTACT_ENTRY_COUNT];
