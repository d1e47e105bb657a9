#pragma once
#include <string>
#include "about/MapiMailMessage_win32.h"
#include "about/UrlLabel_win32.h"

// A link whose click hands a prepared message to the mail program.
class CMailLabel : public CUrlLabel {
public:
    // Always true: a cancelled or missing mail program is not the link's failure.
    bool OpenTarget(const std::string& target, int showCommand) override;

    CMapiMailMessage message;
};
