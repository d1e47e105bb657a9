// Plays Windows Time for tests/e2e/timeprov.sh, as the service "W32Time": it
// loads the input provider "Horalux" when W32Time\TimeProviders enables it,
// by the full path in its DllName, gives it the documented callbacks, holds
// it to the documented contract and closes it when the service stops.
//   timeprov-host REPORT EXPECTED_OFFSET LOG
// REPORT gets a line per finding: "FAIL ..." where the contract or the
// expected offset (GPS - PC, 100 ns units) is broken, "figure ..." for
// timings. LOG is the Horalux service's log, whose last write marks the end
// of the attempt that sent a sample.
#include <windows.h>
#include <timeprov.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <string>

namespace {

const char kProvider[] = "SYSTEM\\CurrentControlSet\\Services\\W32Time\\TimeProviders\\Horalux";
constexpr long long kPhaseOffset = -1234;

std::string reportPath, logPath;
long long expectedOffset = 0;
std::mutex reportLock;
std::atomic<unsigned long long> ticks{0}, tickAtAlert{0};
HANDLE alert = CreateEventA(nullptr, FALSE, FALSE, nullptr), stop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
FILETIME alertTime;
double longestCommandMs = 0;
SERVICE_STATUS_HANDLE statusHandle;

void Say(const std::string& line) {
    const std::lock_guard<std::mutex> lock(reportLock);
    if (FILE* file = std::fopen(reportPath.c_str(), "ab")) std::fprintf(file, "%s\n", line.c_str()), std::fclose(file);
}
bool Expect(bool held, const std::string& what) { return held || (Say("FAIL " + what), false); }
std::string Text(long long n) { return std::to_string(n); }
std::string Narrow(const WCHAR* text) {
    char out[1024] = "";
    WideCharToMultiByte(CP_ACP, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}
double NowMs() {
    LARGE_INTEGER now, frequency;
    QueryPerformanceCounter(&now), QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(now.QuadPart) / static_cast<double>(frequency.QuadPart);
}
long long Units(const FILETIME& t) { return static_cast<long long>((static_cast<unsigned long long>(t.dwHighDateTime) << 32) | t.dwLowDateTime); }

HRESULT WINAPI GetTimeSysInfo(TimeSysInfo what, void* out) {
    FILETIME now;
    GetSystemTimeAsFileTime(&now);
    switch (what) {
    case TSI_CurrentTime: *static_cast<unsigned long long*>(out) = Units(now); return S_OK;
    case TSI_TickCount: *static_cast<unsigned long long*>(out) = ++ticks; return S_OK;
    case TSI_PhaseOffset: *static_cast<long long*>(out) = kPhaseOffset; return S_OK;
    case TSI_PollInterval: *static_cast<int*>(out) = 6; return S_OK;
    default: return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    }
}
HRESULT WINAPI LogTimeProvEvent(WORD type, WCHAR* provider, WCHAR* message) {
    return Say("event " + Text(type) + " " + Narrow(provider) + ": " + Narrow(message)), S_OK;
}
HRESULT WINAPI AlertSamplesAvail() {
    GetSystemTimeAsFileTime(&alertTime);
    tickAtAlert = ticks.load();
    return SetEvent(alert), S_OK;
}
// Done at once, as the contract allows: the result, then the provider's free.
HRESULT WINAPI SetProviderStatus(SetProviderStatusInfo* info) {
    Say(std::string("status ") + (info->tpsCurrentState == TPS_Running ? "running" : "error") + " stratum " + Text(info->dwStratum));
    *info->pHr = S_OK, *info->pdwSysStratum = info->dwStratum;
    if (info->hWaitEvent) SetEvent(info->hWaitEvent);
    return info->pfnFree(info), S_OK;
}

template <class F>
F Entry(HMODULE dll, const char* name) { return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(dll, name))); }

struct Provider {
    HMODULE dll = nullptr;
    decltype(&TimeProvCommand) command = nullptr;
    decltype(&TimeProvClose) close = nullptr;
    TimeProvHandle handle = nullptr;

    // When the registry enables it as an input provider.
    bool Load() {
        DWORD enabled = 0, input = 0, size = sizeof enabled;
        char path[MAX_PATH];
        if (RegGetValueA(HKEY_LOCAL_MACHINE, kProvider, "Enabled", RRF_RT_REG_DWORD, nullptr, &enabled, &size) ||
            RegGetValueA(HKEY_LOCAL_MACHINE, kProvider, "InputProvider", RRF_RT_REG_DWORD, nullptr, &input, &size) ||
            RegGetValueA(HKEY_LOCAL_MACHINE, kProvider, "DllName", RRF_RT_REG_SZ, nullptr, path, &(size = sizeof path)) ||
            enabled != 1 || input != 1 || !(dll = LoadLibraryExA(path, nullptr, 0)))
            return false;
        const auto open = Entry<decltype(&TimeProvOpen)>(dll, "TimeProvOpen");
        command = Entry<decltype(command)>(dll, "TimeProvCommand"), close = Entry<decltype(close)>(dll, "TimeProvClose");
        TimeProvSysCallbacks callbacks = {sizeof callbacks, GetTimeSysInfo, LogTimeProvEvent, AlertSamplesAvail, SetProviderStatus};
        wchar_t name[] = L"Horalux";
        return Expect(open && command && close && open(name, &callbacks, &handle) == S_OK, std::string("opening ") + path) &&
               (Say(std::string("loaded Horalux ") + path), true);
    }
    // Never longer than half a second, says the contract; the figure is the longest.
    HRESULT Command(TimeProvCmd what, void* args) {
        const double start = NowMs();
        const HRESULT hr = command(handle, what, args);
        const double took = NowMs() - start;
        longestCommandMs = took > longestCommandMs ? took : longestCommandMs;
        return Expect(took < 500, "TimeProvCommand " + Text(what) + " took " + std::to_string(took) + " ms"), hr;
    }
    // Samples returned and available, or -1 for an answer not expected.
    int GetSamples(TimeSample* buffer, DWORD size, HRESULT expected) {
        TpcGetSamplesArgs args = {reinterpret_cast<BYTE*>(buffer), size, 99, 99};
        return Command(TPC_GetSamples, &args) == expected ? static_cast<int>(args.dwSamplesReturned * 10 + args.dwSamplesAvailable) : -1;
    }
};

bool Alerted() {
    const HANDLE events[] = {stop, alert};
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, 60000);
    return Expect(woken != WAIT_TIMEOUT, "no AlertSamplesAvail within a minute") && woken == WAIT_OBJECT_0 + 1;
}

// Then, how long after the service's line about it the sample came.
void CheckSample(const TimeSample& s) {
    Expect(s.dwSize == sizeof s && s.dwRefid == 0x47505300 && s.toDelay == 0 && s.nStratum == 0 && s.nLeapFlags == 0 &&
               s.dwTSFlags == TSF_Hardware && s.nSysPhaseOffset == kPhaseOffset && s.nSysTickCount == tickAtAlert,
           "the sample's fixed fields and the tick count of the record's arrival");
    Expect(std::llabs(s.toOffset - expectedOffset) <= static_cast<long long>(s.tpDispersion),
           "offset " + Text(s.toOffset) + " misses " + Text(expectedOffset) + " by more than " + Text(static_cast<long long>(s.tpDispersion)));
    Say("sample " + Narrow(s.wszUniqueName) + " offset " + Text(s.toOffset) + " dispersion " + Text(static_cast<long long>(s.tpDispersion)));
    const FILETIME alerted = alertTime;
    WIN32_FILE_ATTRIBUTE_DATA log;
    Sleep(300);
    if (GetFileAttributesExA(logPath.c_str(), GetFileExInfoStandard, &log))
        Say("figure alert after log line " + Text((Units(alerted) - Units(log.ftLastWriteTime)) / 10000) + " ms");
}

DWORD WINAPI RunContract(void* provider) {
    Provider& p = *static_cast<Provider*>(provider);
    TimeSample samples[2];
    for (int n = 0; n < 4 && Alerted(); ++n) {
        Expect(p.GetSamples(samples, sizeof(TimeSample) - 1, HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER)) == 1 &&
                   p.GetSamples(samples, sizeof samples, S_OK) == 11,
               "none of one sample in a too small buffer, one in one large enough");
        CheckSample(samples[0]);
    }
    // Right after a sample, a second before the next: a jump drops it, and samples come again.
    TpcTimeJumpedArgs jump = {TJF_Default};
    Expect(Alerted() && p.Command(TPC_PollIntervalChanged, nullptr) == S_OK && p.Command(TPC_TimeJumped, &jump) == S_OK &&
               p.GetSamples(samples, sizeof samples, S_OK) == 0,
           "no sample after a jump");
    Expect(p.Command(TPC_UpdateConfig, nullptr) == S_OK && Alerted() && p.GetSamples(samples, sizeof samples, S_OK) == 11,
           "samples again after a jump and a new configuration");
    Say("contract done");
    return Say("figure longest TimeProvCommand " + std::to_string(longestCommandMs) + " ms"), 0;
}

void Report(DWORD state) {
    SERVICE_STATUS status = {SERVICE_WIN32_OWN_PROCESS, state, state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0u, 0, 0, 0, 3000};
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
    if (control == SERVICE_CONTROL_STOP) Report(SERVICE_STOP_PENDING), SetEvent(stop);
    return control == SERVICE_CONTROL_STOP || control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
}

// The contract gives five seconds from TPC_Shutdown; the figure is how long it took with the close.
void WINAPI ServiceMain(DWORD, LPSTR*) {
    statusHandle = RegisterServiceCtrlHandlerExA("W32Time", OnControl, nullptr);
    Report(SERVICE_RUNNING);
    Provider p;
    const HANDLE contract = p.Load() ? CreateThread(nullptr, 0, RunContract, &p, 0, nullptr) : nullptr;
    if (!p.handle) Say("no provider");
    WaitForSingleObject(stop, INFINITE);
    if (contract) {
        WaitForSingleObject(contract, INFINITE);
        const double start = NowMs();
        Expect(p.Command(TPC_Shutdown, nullptr) == S_OK && p.close(p.handle) == S_OK, "the provider's close");
        const double took = NowMs() - start;
        Expect(took < 5000, "the close took " + std::to_string(took) + " ms");
        Say("figure shutdown and close " + std::to_string(took) + " ms");
        FreeLibrary(p.dll);
    }
    Report(SERVICE_STOPPED);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) return 2;
    reportPath = argv[1], expectedOffset = std::atoll(argv[2]), logPath = argv[3];
    char name[] = "W32Time";
    const SERVICE_TABLE_ENTRYA table[] = {{name, ServiceMain}, {nullptr, nullptr}};
    return StartServiceCtrlDispatcherA(table) ? 0 : 1;
}
