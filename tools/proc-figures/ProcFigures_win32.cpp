// Prints the private memory (KiB) and handle count of every running process
// with the given executable name, one line each: "PID PRIVATE_KIB HANDLES".
//   proc-figures horalux.exe
#include <windows.h>
#include <psapi.h>
#include <tlhelp32.h>

#include <cstdio>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: proc-figures NAME.exe\n");
        return 2;
    }
    const HANDLE snapshot = CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    PROCESSENTRY32 entry = {};
    entry.dwSize = sizeof entry;
    int found = 0;
    for (BOOL more = Process32First(snapshot, &entry); more; more = Process32Next(snapshot, &entry)) {
        if (lstrcmpiA(entry.szExeFile, argv[1]) != 0) continue;
        const HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, entry.th32ProcessID);
        PROCESS_MEMORY_COUNTERS_EX memory = {};
        DWORD handles = 0;
        if (process && GetProcessMemoryInfo(process, reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&memory), sizeof memory) &&
            GetProcessHandleCount(process, &handles)) {
            std::printf("%lu %lu %lu\n", entry.th32ProcessID, static_cast<unsigned long>(memory.PrivateUsage / 1024),
                        handles);
            ++found;
        }
        if (process) CloseHandle(process);
    }
    CloseHandle(snapshot);
    return found ? 0 : 1;
}
