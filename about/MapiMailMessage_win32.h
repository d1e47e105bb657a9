#pragma once
#include <windows.h>
#include <string>
#include "about/MailMessage.h"
#include "about/SimpleMapi_win32.h"

// Hands a message to the system's mail program through Simple MAPI, which
// shows its own compose window. Each object holds its own reference to the
// mail library.
class CMapiMailMessage : public CMailMessage {
public:
    CMapiMailMessage();
    CMapiMailMessage(const CMapiMailMessage& other);
    CMapiMailMessage& operator=(const CMapiMailMessage& other);
    ~CMapiMailMessage() override;

    bool IsAvailable() override;
    bool GetError(std::string& text) override;
    // True unless a hand-over has failed, now or earlier.
    bool Send(unsigned long flags) override;

private:
    void ShareLibraryOf(const CMapiMailMessage& other);
    void ReleaseLibrary();
    void BeginModal();
    void EndModal();

    bool error_ = false;
    std::string statusText_;
    HWND ownerWindow_ = nullptr;
    HWND disabledTopWindow_ = nullptr;
    HMODULE library_ = nullptr;
    MapiSendMailProc sendMail_ = nullptr;
};
