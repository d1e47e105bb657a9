// Stands in for the system's mail library: describes each MAPISendMail call
// in one line and answers with the code the test chose.
#include <string>

#include "about/SimpleMapi_win32.h"

namespace {

std::string lastCall;
ULONG answer = 0;

std::string Text(const char* text) { return text ? "'" + std::string(text) + "'" : "null"; }

}  // namespace

extern "C" __declspec(dllexport) ULONG WINAPI MAPISendMail(ULONG_PTR, ULONG_PTR parent, MapiMessage* m,
                                                           ULONG flags, ULONG)
{
    lastCall = "parent " + std::to_string(parent) + " flags " + std::to_string(flags) + " subject " +
               Text(m->lpszSubject) + " note " + Text(m->lpszNoteText);
    for (ULONG i = 0; i < m->nRecipCount; ++i)
        lastCall += " to" + std::to_string(m->lpRecips[i].ulRecipClass) + " " + Text(m->lpRecips[i].lpszName);
    return answer;
}

extern "C" __declspec(dllexport) const char* WINAPI FakeMapiLastCall() { return lastCall.c_str(); }

extern "C" __declspec(dllexport) void WINAPI FakeMapiAnswer(ULONG code) { answer = code; }
