#pragma once
#include <windows.h>
#include <string>
#include "about/MailMessage.h"
#include "about/SimpleMapi_win32.h"
#include "window/Handles_win32.h"

// MAPI32.DLL in the system folder. By bare name the loader could take a copy
// that was put beside the program or in the current folder.
std::string SystemMailLibrary();

// Hands a message to the system's mail program through Simple MAPI, which
// shows its own compose window. The mail library is loaded at the first Send,
// so an About box that is only looked at loads nothing. Each object holds its
// own reference to the library.
class CMapiMailMessage : public CMailMessage {
public:
    // Tests hand in the path of a mail library of their own.
    explicit CMapiMailMessage(std::string libraryPath = SystemMailLibrary());
    CMapiMailMessage(const CMapiMailMessage& other);
    CMapiMailMessage& operator=(const CMapiMailMessage& other);

    bool IsAvailable() override;
    bool GetError(std::string& text) override;
    // True unless a hand-over has failed, now or earlier.
    bool Send(unsigned long flags) override;

private:
    void LoadLibraryOnce();
    void ShareLibraryOf(const CMapiMailMessage& other);
    void NoteFailure(unsigned long result);
    void BeginModal();
    void EndModal();

    bool error_ = false;
    std::string statusText_;
    HWND ownerWindow_ = nullptr;
    HWND disabledTopWindow_ = nullptr;
    std::string libraryPath_;
    bool loadTried_ = false;
    Module library_;
    MapiSendMailProc sendMail_ = nullptr;
};
