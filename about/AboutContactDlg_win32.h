#pragma once
#include <windows.h>
#include <string>
#include "about/MailLabel_win32.h"
#include "about/UrlLabel_win32.h"
#include "window/Dialog_win32.h"

// The About box: version, the maker's contact block, a web link and two
// links that compose mail to the maker.
class CAboutContactDlg : public Dialog {
public:
    // The mail links load mailLibrary when clicked.
    explicit CAboutContactDlg(HWND parent, std::string mailLibrary = SystemMailLibrary());

protected:
    void DoDataExchange(bool save) override;
    BOOL OnInitDialog() override;
    bool OnCommand(unsigned id, unsigned code, HWND control) override;

    CUrlLabel webLink_;
    CMailLabel supportLink_;
    CMailLabel salesLink_;
    Window versionEdit_;
    Window contactEdit_;

private:
    void AttachMailLink(CMailLabel& link, int id, int address, int subject, const std::string& body);
    void HideCarets();

    std::string mailLibrary_;
};
