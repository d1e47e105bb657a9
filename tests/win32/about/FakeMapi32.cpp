// A stand-in for the system's mail library: records what MAPISendMail gets
// and answers with the code the test chose.
#include <windows.h>

#include <cstring>

#include "about/SimpleMapi_win32.h"
#include "FakeMapiRecord.h"

namespace {

FakeMapiCall lastCall;
ULONG nextResult = 0;

void CopyText(char* to, size_t size, const char* from)
{
    if (!from) return;
    std::strncpy(to, from, size - 1);
    to[size - 1] = '\0';
}

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(ULONG_PTR session, ULONG_PTR uiParam,
                                                           MapiMessage* message, ULONG flags, ULONG)
{
    const int calls = lastCall.calls;
    std::memset(&lastCall, 0, sizeof lastCall);
    FakeMapiCall& c = lastCall;
    c.calls = calls + 1;
    c.session = session;
    c.uiParam = uiParam;
    c.flags = flags;

    c.subjectNull = message->lpszSubject == nullptr;
    CopyText(c.subject, sizeof c.subject, message->lpszSubject);
    c.noteNull = message->lpszNoteText == nullptr;
    CopyText(c.note, sizeof c.note, message->lpszNoteText);
    if (message->lpOriginator) c.originatorClass = message->lpOriginator->ulRecipClass;
    c.recipCount = message->nRecipCount;
    for (ULONG i = 0; i < message->nRecipCount && i < 4; ++i) {
        c.recips[i].recipClass = message->lpRecips[i].ulRecipClass;
        CopyText(c.recips[i].name, sizeof c.recips[i].name, message->lpRecips[i].lpszName);
        c.recips[i].addressNull = message->lpRecips[i].lpszAddress == nullptr;
    }
    c.fileCount = message->nFileCount;
    for (ULONG i = 0; i < message->nFileCount && i < 4; ++i) {
        c.files[i].position = message->lpFiles[i].nPosition;
        CopyText(c.files[i].pathName, sizeof c.files[i].pathName, message->lpFiles[i].lpszPathName);
        CopyText(c.files[i].fileName, sizeof c.files[i].fileName, message->lpFiles[i].lpszFileName);
    }
    return nextResult;
}

extern "C" __declspec(dllexport) const FakeMapiCall* WINAPI FakeMapiLastCall()
{
    return &lastCall;
}

extern "C" __declspec(dllexport) void WINAPI FakeMapiSetResult(ULONG result)
{
    nextResult = result;
}

extern "C" __declspec(dllexport) void WINAPI FakeMapiReset()
{
    std::memset(&lastCall, 0, sizeof lastCall);
    nextResult = 0;
}
