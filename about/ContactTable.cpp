#include "about/ContactTable.h"

// Lines are padded so the block lines up in the fixed-width edit; the tab
// lines are shorter because the tab itself takes the room.
const char* const ContactTable[CONTACT_ENTRY_COUNT] = {
    "Orvanel Systems, Inc.              \r\n"
    "1450 Meridian Parkway, Suite 200    \r\n"
    "Boulder, CO 80301                   \r\n"
    "Phone:\t(303) 555-0142              \r\n"
    "Fax:\t(303) 555-0143              \r\n"
    "                                    \r\n"
    "Standard Business Hours:            \r\n"
    "Monday - Friday                     \r\n"
    "8:00 AM - 5:00 PM Mountain Time     \r\n",
    "https://www.orvanel.example.com/",
    "support@orvanel.example.com",
    "Problem Report",
    "sales@orvanel.example.com",
    "Request for Information",
};
