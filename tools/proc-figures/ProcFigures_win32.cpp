// Prints the private memory (KiB) and handle count of every running process
// with the given executable name, one line each: "PID PRIVATE_KIB HANDLES".
// From the system's process list, which Wine also fills for other processes.
//   proc-figures horalux.exe
#include <windows.h>
#include <winternl.h>

#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: proc-figures NAME.exe\n");
        return 2;
    }
    const std::wstring name(argv[1], argv[1] + std::string(argv[1]).size());
    std::vector<char> buffer(1 << 20);
    ULONG size = 0;
    while (NtQuerySystemInformation(SystemProcessInformation, buffer.data(), static_cast<ULONG>(buffer.size()), &size) ==
           static_cast<NTSTATUS>(0xC0000004L))   // too small
        buffer.resize(buffer.size() * 2);
    int found = 0;
    for (size_t offset = 0;;) {
        const auto* p = reinterpret_cast<const SYSTEM_PROCESS_INFORMATION*>(buffer.data() + offset);
        const std::wstring image(p->ImageName.Buffer ? p->ImageName.Buffer : L"", p->ImageName.Length / 2);
        if (_wcsicmp(image.c_str(), name.c_str()) == 0) {
            std::printf("%lu %lu %lu\n", static_cast<unsigned long>(reinterpret_cast<ULONG_PTR>(p->UniqueProcessId)),
                        static_cast<unsigned long>(p->PrivatePageCount / 1024), p->HandleCount);
            ++found;
        }
        if (p->NextEntryOffset == 0) break;
        offset += p->NextEntryOffset;
    }
    return found ? 0 : 1;
}
