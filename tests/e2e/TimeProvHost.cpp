// Plays Windows Time for tests/e2e/timeprov.sh, as the service "W32Time": it
// loads each enabled input provider under W32Time\TimeProviders by the full
// path in its DllName, gives it the documented callbacks and holds it to the
// documented contract, and closes it when the service stops.
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
#include <cstring>
#include <mutex>
#include <string>

namespace {

const char kProviders[] = "SYSTEM\\CurrentControlSet\\Services\\W32Time\\TimeProviders";
constexpr long long kPhaseOffset = -1234;
constexpr DWORD kGpsRefid = 0x47505300;
constexpr int kSamples = 4;

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
void Expect(bool held, const std::string& what) {
    if (!held) Say("FAIL " + what);
}
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
    switch (what) {
    case TSI_CurrentTime: GetSystemTimeAsFileTime(&now), *static_cast<unsigned long long*>(out) = Units(now); return S_OK;
    case TSI_TickCount: *static_cast<unsigned long long*>(out) = ++ticks; return S_OK;
    case TSI_PhaseOffset: *static_cast<long long*>(out) = kPhaseOffset; return S_OK;
    case TSI_PollInterval: *static_cast<int*>(out) = 6; return S_OK;
    default: return HRESULT_FROM_WIN32(ERROR_NOT_SUPPORTED);
    }
}
HRESULT WINAPI LogTimeProvEvent(WORD type, WCHAR* provider, WCHAR* message) {
    Say("event " + std::to_string(type) + " " + Narrow(provider) + ": " + Narrow(message));
    return S_OK;
}
HRESULT WINAPI AlertSamplesAvail() {
    GetSystemTimeAsFileTime(&alertTime);
    tickAtAlert = ticks.load();
    SetEvent(alert);
    return S_OK;
}
// Done at once, as the contract allows: the result, then the provider's free.
HRESULT WINAPI SetProviderStatus(SetProviderStatusInfo* info) {
    Say(std::string("status ") + (info->tpsCurrentState == TPS_Running ? "running" : "error") + " stratum " +
        std::to_string(info->dwStratum));
    *info->pHr = S_OK;
    *info->pdwSysStratum = info->dwStratum;
    if (info->hWaitEvent) SetEvent(info->hWaitEvent);
    info->pfnFree(info);
    return S_OK;
}

struct Provider {
    HMODULE dll = nullptr;
    decltype(&TimeProvOpen) open = nullptr;
    decltype(&TimeProvCommand) command = nullptr;
    decltype(&TimeProvClose) close = nullptr;
    TimeProvHandle handle = nullptr;

    // Never longer than half a second, says the contract; the figure is the longest.
    HRESULT Command(TimeProvCmd what, void* args) {
        const double start = NowMs();
        const HRESULT hr = command(handle, what, args);
        const double took = NowMs() - start;
        if (took > longestCommandMs) longestCommandMs = took;
        Expect(took < 500, "TimeProvCommand " + std::to_string(what) + " took " + std::to_string(took) + " ms");
        return hr;
    }
};

// The first enabled input provider, loaded by the full path in its DllName.
bool Load(Provider& p) {
    HKEY key;
    if (RegOpenKeyExA(HKEY_LOCAL_MACHINE, kProviders, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
    char name[256], dll[MAX_PATH];
    for (DWORD i = 0, size = sizeof name; RegEnumKeyExA(key, i, name, &size, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS;
         ++i, size = sizeof name) {
        DWORD enabled = 0, input = 0, length = sizeof enabled, dllSize = sizeof dll;
        const bool wanted = RegGetValueA(key, name, "Enabled", RRF_RT_REG_DWORD, nullptr, &enabled, &length) == ERROR_SUCCESS &&
                            (length = sizeof input, RegGetValueA(key, name, "InputProvider", RRF_RT_REG_DWORD, nullptr, &input, &length)) == ERROR_SUCCESS &&
                            RegGetValueA(key, name, "DllName", RRF_RT_REG_SZ, nullptr, dll, &dllSize) == ERROR_SUCCESS && enabled == 1 && input == 1;
        if (!wanted || !(p.dll = LoadLibraryExA(dll, nullptr, 0))) continue;
        p.open = reinterpret_cast<decltype(p.open)>(reinterpret_cast<void (*)()>(GetProcAddress(p.dll, "TimeProvOpen")));
        p.command = reinterpret_cast<decltype(p.command)>(reinterpret_cast<void (*)()>(GetProcAddress(p.dll, "TimeProvCommand")));
        p.close = reinterpret_cast<decltype(p.close)>(reinterpret_cast<void (*)()>(GetProcAddress(p.dll, "TimeProvClose")));
        TimeProvSysCallbacks callbacks = {sizeof callbacks, GetTimeSysInfo, LogTimeProvEvent, AlertSamplesAvail, SetProviderStatus};
        std::wstring wide(name, name + std::strlen(name));
        Expect(p.open && p.command && p.close, std::string("entry points of ") + dll);
        if (p.open && p.command && p.close && SUCCEEDED(p.open(&wide[0], &callbacks, &p.handle))) {
            Say(std::string("loaded ") + name + " " + dll);
            RegCloseKey(key);
            return true;
        }
        FreeLibrary(p.dll);
    }
    RegCloseKey(key);
    return false;
}

bool Alerted() {
    const HANDLE events[] = {stop, alert};
    const DWORD woken = WaitForMultipleObjects(2, events, FALSE, 60000);
    Expect(woken != WAIT_TIMEOUT, "no AlertSamplesAvail within a minute");
    return woken == WAIT_OBJECT_0 + 1;
}

TpcGetSamplesArgs GetSamples(Provider& p, TimeSample* buffer, DWORD size, HRESULT expected) {
    TpcGetSamplesArgs args = {reinterpret_cast<BYTE*>(buffer), size, 99, 99};
    Expect(p.Command(TPC_GetSamples, &args) == expected, "TPC_GetSamples's answer with " + std::to_string(size) + " bytes");
    return args;
}

void CheckSample(const TimeSample& s) {
    Expect(s.dwSize == sizeof s && s.dwRefid == kGpsRefid && s.toDelay == 0 && s.nStratum == 0 && s.nLeapFlags == 0 &&
               s.dwTSFlags == TSF_Hardware && s.nSysPhaseOffset == kPhaseOffset,
           "the sample's fixed fields");
    Expect(s.nSysTickCount == tickAtAlert, "the tick count of the record's arrival");
    const long long miss = s.toOffset - expectedOffset;
    Expect((miss < 0 ? -miss : miss) <= static_cast<long long>(s.tpDispersion),
           "offset " + std::to_string(s.toOffset) + " misses " + std::to_string(expectedOffset) + " by more than " +
               std::to_string(s.tpDispersion));
    Say("sample " + Narrow(s.wszUniqueName) + " offset " + std::to_string(s.toOffset) + " dispersion " +
        std::to_string(s.tpDispersion));
}

// After the sample's alert the service writes its line: how far apart.
void FigureArrival() {
    const FILETIME alerted = alertTime;
    Sleep(300);
    WIN32_FILE_ATTRIBUTE_DATA log;
    if (GetFileAttributesExA(logPath.c_str(), GetFileExInfoStandard, &log))
        Say("figure alert after log line " + std::to_string((Units(alerted) - Units(log.ftLastWriteTime)) / 10000) + " ms");
}

void RunContract(Provider& p) {
    TimeSample samples[2];
    for (int n = 0; n < kSamples; ++n) {
        if (!Alerted()) return;
        const TpcGetSamplesArgs small = GetSamples(p, samples, sizeof(TimeSample) - 1, HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER));
        Expect(small.dwSamplesReturned == 0 && small.dwSamplesAvailable == 1, "a too small buffer gets none of one");
        const TpcGetSamplesArgs enough = GetSamples(p, samples, sizeof samples, S_OK);
        Expect(enough.dwSamplesReturned == 1 && enough.dwSamplesAvailable == 1, "one sample");
        CheckSample(samples[0]);
        FigureArrival();
    }
    Expect(p.Command(TPC_PollIntervalChanged, nullptr) == S_OK, "TPC_PollIntervalChanged");
    // A jump drops the sample; a record that came meanwhile makes the check void, and it is done again.
    for (TpcTimeJumpedArgs jump = {TJF_Default};;) {
        if (!Alerted()) return;
        Expect(p.Command(TPC_TimeJumped, &jump) == S_OK, "TPC_TimeJumped");
        const TpcGetSamplesArgs after = GetSamples(p, samples, sizeof samples, S_OK);
        if (WaitForSingleObject(alert, 0) == WAIT_OBJECT_0) continue;
        Expect(after.dwSamplesReturned == 0 && after.dwSamplesAvailable == 0, "no sample after a jump");
        break;
    }
    Expect(p.Command(TPC_UpdateConfig, nullptr) == S_OK, "TPC_UpdateConfig");
    if (!Alerted()) return;
    Expect(GetSamples(p, samples, sizeof samples, S_OK).dwSamplesReturned == 1, "samples again after a jump");
    Say("contract done");
    Say("figure longest TimeProvCommand " + std::to_string(longestCommandMs) + " ms");
}

void Report(DWORD state) {
    SERVICE_STATUS status = {SERVICE_WIN32_OWN_PROCESS, state, state == SERVICE_RUNNING ? SERVICE_ACCEPT_STOP : 0u, 0, 0, 0, 3000};
    SetServiceStatus(statusHandle, &status);
}

DWORD WINAPI OnControl(DWORD control, DWORD, void*, void*) {
    if (control != SERVICE_CONTROL_STOP) return control == SERVICE_CONTROL_INTERROGATE ? NO_ERROR : ERROR_CALL_NOT_IMPLEMENTED;
    Report(SERVICE_STOP_PENDING);
    SetEvent(stop);
    return NO_ERROR;
}

DWORD WINAPI ContractThread(void* provider) {
    RunContract(*static_cast<Provider*>(provider));
    return 0;
}

// Within five seconds of TPC_Shutdown, says the contract; the figure is how long it took with the close.
void WINAPI ServiceMain(DWORD, LPSTR*) {
    statusHandle = RegisterServiceCtrlHandlerExA("W32Time", OnControl, nullptr);
    Report(SERVICE_RUNNING);
    Provider p;
    if (Load(p)) {
        const HANDLE contract = CreateThread(nullptr, 0, ContractThread, &p, 0, nullptr);
        WaitForSingleObject(stop, INFINITE);
        WaitForSingleObject(contract, INFINITE);
        const double start = NowMs();
        Expect(p.Command(TPC_Shutdown, nullptr) == S_OK && p.close(p.handle) == S_OK, "the provider's close");
        const double took = NowMs() - start;
        Expect(took < 5000, "the close took " + std::to_string(took) + " ms");
        Say("figure shutdown and close " + std::to_string(took) + " ms");
        FreeLibrary(p.dll);
    } else {
        Say("no provider");
        WaitForSingleObject(stop, INFINITE);
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
