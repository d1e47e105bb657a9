#pragma once
#include <windows.h>

#include <string>

// What the test mail library saw in its last MAPISendMail call.
struct FakeMapiCall {
    int calls;
    ULONG_PTR session;
    ULONG_PTR uiParam;
    ULONG flags;
    bool subjectNull;
    bool noteNull;
    char subject[128];
    char note[4096];
    ULONG originatorClass;
    ULONG recipCount;
    struct {
        ULONG recipClass;
        char name[128];
        bool addressNull;
    } recips[4];
    ULONG fileCount;
    struct {
        ULONG position;
        char pathName[128];
        char fileName[128];
    } files[4];
};

using FakeMapiLastCallProc = const FakeMapiCall*(WINAPI*)();
using FakeMapiSetResultProc = void(WINAPI*)(ULONG result);
using FakeMapiResetProc = void(WINAPI*)();

// The test mail library, built beside the test program.
inline std::string FakeMapiPath()
{
    char path[MAX_PATH];
    const std::string program(path, GetModuleFileNameA(nullptr, path, MAX_PATH));
    return program.substr(0, program.rfind('\\') + 1) + "mapi32.dll";
}
