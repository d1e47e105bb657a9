#include "about/MapiMailMessage_win32.h"

#include <utility>
#include <vector>

#include "about/AboutStrings.h"
#include "res/TextPlaceholder.h"
#include "window/Application_win32.h"

std::string SystemMailLibrary()
{
    char directory[MAX_PATH];
    const UINT length = GetSystemDirectoryA(directory, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) return std::string();
    return std::string(directory, length) + "\\MAPI32.DLL";
}

CMapiMailMessage::CMapiMailMessage(std::string libraryPath)
    : statusText_(Application::Instance().LoadString(IDS_MAIL_NO_ERROR)),
      libraryPath_(std::move(libraryPath))
{
}

void CMapiMailMessage::LoadLibraryOnce()
{
    if (loadTried_) return;
    loadTried_ = true;
    // A full path; the library's own imports come from the system folder,
    // the only one the program searches.
    library_.Reset(libraryPath_.empty() ? nullptr : LoadLibraryA(libraryPath_.c_str()));
    unsigned status = IDS_MAIL_NO_ERROR;
    if (library_) {
        // Through the universal function pointer type, which converts to any other.
        sendMail_ = reinterpret_cast<MapiSendMailProc>(
            reinterpret_cast<void (*)()>(GetProcAddress(library_.Get(), "MAPISendMail")));
        if (!sendMail_) status = IDS_MAIL_NO_SENDMAIL;
    } else {
        status = IDS_MAIL_NO_LIBRARY;
    }
    statusText_ = Application::Instance().LoadString(status);
}

CMapiMailMessage::CMapiMailMessage(const CMapiMailMessage& other)
    : CMailMessage(other),
      error_(other.error_),
      statusText_(other.statusText_),
      ownerWindow_(other.ownerWindow_),
      disabledTopWindow_(other.disabledTopWindow_),
      libraryPath_(other.libraryPath_),
      loadTried_(other.loadTried_)
{
    ShareLibraryOf(other);
}

CMapiMailMessage& CMapiMailMessage::operator=(const CMapiMailMessage& other)
{
    if (this == &other) return *this;
    CMailMessage::operator=(other);
    error_ = other.error_;
    statusText_ = other.statusText_;
    ownerWindow_ = other.ownerWindow_;
    disabledTopWindow_ = other.disabledTopWindow_;
    libraryPath_ = other.libraryPath_;
    loadTried_ = other.loadTried_;
    ShareLibraryOf(other);
    return *this;
}

// Both objects free the library once each, so the copy takes a reference of
// its own; the one it held before is given back.
void CMapiMailMessage::ShareLibraryOf(const CMapiMailMessage& other)
{
    HMODULE shared = nullptr;
    if (other.library_ &&
        !GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS,
                            reinterpret_cast<LPCSTR>(other.library_.Get()), &shared))
        shared = nullptr;
    library_.Reset(shared);
    sendMail_ = shared ? other.sendMail_ : nullptr;
}

bool CMapiMailMessage::IsAvailable()
{
    // Only the copy that Send would load counts.
    return GetProfileIntA("MAIL", "MAPI", 0) != 0 &&
           GetFileAttributesA(SystemMailLibrary().c_str()) != INVALID_FILE_ATTRIBUTES;
}

bool CMapiMailMessage::GetError(std::string& text)
{
    text = statusText_;
    return error_;
}

namespace {

// The request in the mail service's records. They point into the request,
// which outlives them; every text gets a valid pointer, empty ones included.
struct MapiRecords {
    explicit MapiRecords(MailRequest& request)
        : recipients(request.recipients.size(), MapiRecipDesc{}), files(request.files.size(), MapiFileDesc{})
    {
        originator.ulRecipClass = MAPI_ORIG;
        originator.lpszName = request.originator.data();
        for (size_t i = 0; i < recipients.size(); ++i) {
            recipients[i].ulRecipClass = request.recipients[i].recipClass;
            recipients[i].lpszName = request.recipients[i].name.data();
        }
        for (size_t i = 0; i < files.size(); ++i) {
            files[i].nPosition = request.files[i].position;
            files[i].lpszPathName = request.files[i].pathName.data();
            files[i].lpszFileName = request.files[i].fileName.data();
        }
        message.lpszSubject = request.subject.data();
        message.lpszNoteText = request.noteText.data();
        message.lpOriginator = &originator;
        message.nRecipCount = static_cast<ULONG>(recipients.size());
        message.lpRecips = recipients.empty() ? nullptr : recipients.data();
        message.nFileCount = static_cast<ULONG>(files.size());
        message.lpFiles = files.empty() ? nullptr : files.data();
    }
    MapiRecords(const MapiRecords&) = delete;
    MapiRecords& operator=(const MapiRecords&) = delete;

    MapiRecipDesc originator{};
    std::vector<MapiRecipDesc> recipients;
    std::vector<MapiFileDesc> files;
    MapiMessage message{};
};

}  // namespace

bool CMapiMailMessage::Send(unsigned long flags)
{
    LoadLibraryOnce();
    if (!library_ || !sendMail_) return !error_;

    MailRequest request = ComposeRequest();
    MapiRecords records(request);
    Application& application = Application::Instance();
    application.BeginWaitCursor();
    BeginModal();
    HWND parent = ownerWindow_ ? ownerWindow_ : GetDesktopWindow();
    const ULONG result = sendMail_(0, reinterpret_cast<ULONG_PTR>(parent), &records.message,
                                   static_cast<ULONG>(flags | MAPI_LOGON_UI), 0);
    EndModal();
    application.EndWaitCursor();
    if (result != SUCCESS_SUCCESS) NoteFailure(result);
    return !error_;
}

void CMapiMailMessage::NoteFailure(unsigned long result)
{
    error_ = true;
    statusText_ = ReplaceNumberPlaceholder(Application::Instance().LoadString(IDS_MAIL_SEND_FAILED),
                                           static_cast<long>(result));
}

// The mail program's compose window is modal to our active window: that
// window owns it, holds the capture and takes no input until it closes.
void CMapiMailMessage::BeginModal()
{
    Application::Instance().EnableModeless(false);
    HWND owner = GetActiveWindow();
    while (owner && (GetWindowLongA(owner, GWL_STYLE) & WS_CHILD)) owner = GetParent(owner);

    disabledTopWindow_ = nullptr;
    if (owner) {
        HWND top = GetAncestor(owner, GA_ROOTOWNER);
        if (top && top != owner && IsWindowEnabled(top)) {
            EnableWindow(top, FALSE);
            disabledTopWindow_ = top;
        }
        // Disabling cancels any capture, so it comes first.
        EnableWindow(owner, FALSE);
        SetCapture(owner);
        SetFocus(nullptr);
    }
    ownerWindow_ = owner;
}

void CMapiMailMessage::EndModal()
{
    if (ownerWindow_) {
        ReleaseCapture();
        EnableWindow(ownerWindow_, TRUE);
        SetActiveWindow(nullptr);
        SetActiveWindow(ownerWindow_);
        SetFocus(ownerWindow_);
    }
    if (disabledTopWindow_) EnableWindow(disabledTopWindow_, TRUE);
    disabledTopWindow_ = nullptr;
    ownerWindow_ = nullptr;
    Application::Instance().EnableModeless(true);
}
