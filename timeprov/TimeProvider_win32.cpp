// horalux-timeprov.dll: the hardware time provider that Windows Time loads.
// It serves the feed pipe on a thread of its own and hands each record the
// Horalux service sends on as a sample; it never sets anything itself.
#include <windows.h>
#include <timeprov.h>

#include <cstring>
#include <memory>
#include <new>

#include "files/ProfileStore.h"
#include "sync/Period.h"
#include "sync/Settings.h"
#include "timeprov/PipeSecurity_win32.h"
#include "timeprov/ProviderState.h"
#include "window/Handles_win32.h"

#ifndef PIPE_REJECT_REMOTE_CLIENTS
#define PIPE_REJECT_REMOTE_CLIENTS 0x00000008
#endif

namespace {

// The pipe's name held by another program: tried again this often.
constexpr DWORD kPipeRetryMs = 10000;
constexpr DWORD kSilenceCheckMs = 1000;
// "GPS" as NTP writes a reference clock's four letters.
constexpr DWORD kGpsRefid = 0x47505300;
constexpr BYTE kLeapNotSynchronised = 3;

std::wstring Wide(const std::string& text) {
    std::wstring wide(text.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(
        MultiByteToWideChar(CP_ACP, 0, text.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
    return wide;
}

// Handed to the manager with SetProviderStatus, which frees it when done.
struct PendingStatus : SetProviderStatusInfo {
    HRESULT result = S_OK;
    DWORD systemStratum = 0;
    std::wstring name;
};

void WINAPI FreePendingStatus(SetProviderStatusInfo* info) {
    delete static_cast<PendingStatus*>(info);
}

class Provider : public TimeManager {
public:
    Provider(const WCHAR* name, const TimeProvSysCallbacks& callbacks)
        : name_(name ? name : L"Horalux"), state_(*this) {
        std::memcpy(&callbacks_, &callbacks, callbacks.dwSize < sizeof callbacks_ ? callbacks.dwSize : sizeof callbacks_);
    }
    ~Provider() override {
        Stop();
        if (thread_) WaitForSingleObject(thread_.Get(), INFINITE);
    }
    Provider(const Provider&) = delete;
    Provider& operator=(const Provider&) = delete;

    bool Start() {
        thread_.Reset(stop_ && reconfigure_ ? CreateThread(nullptr, 0, ThreadProc, this, 0, nullptr) : nullptr);
        return static_cast<bool>(thread_);
    }
    void Stop() { SetEvent(stop_.Get()); }
    HRESULT Command(TimeProvCmd command, TimeProvArgs args);

    int64_t CurrentTime() override { return static_cast<int64_t>(Info<unsigned long long>(TSI_CurrentTime)); }
    uint64_t TickCount() override { return Info<unsigned long long>(TSI_TickCount); }
    int64_t PhaseOffset() override { return Info<long long>(TSI_PhaseOffset); }
    void Log(Event type, const std::string& text) override {
        std::wstring message = Wide(text);
        const WORD kinds[] = {EVENTLOG_INFORMATION_TYPE, EVENTLOG_WARNING_TYPE, EVENTLOG_ERROR_TYPE};
        callbacks_.pfnLogTimeProvEvent(kinds[static_cast<int>(type)], &name_[0], &message[0]);
    }
    void AlertSamplesAvail() override { callbacks_.pfnAlertSamplesAvail(); }
    void SetStatus(bool running) override;

private:
    enum class Woken { Done, Stop };

    template <class T>
    T Info(TimeSysInfo what) {
        T value = 0;
        return SUCCEEDED(callbacks_.pfnGetTimeSysInfo(what, &value)) ? value : 0;
    }
    static DWORD WINAPI ThreadProc(void* self) {
        try {
            static_cast<Provider*>(self)->Serve();
        } catch (...) {   // out of memory: no more samples, and Windows Time lives on
        }
        return 0;
    }
    void ReadSettings();
    bool Stopping() const { return WaitForSingleObject(stop_.Get(), 0) == WAIT_OBJECT_0; }
    Woken Wait(HANDLE io, DWORD ms = INFINITE);
    DWORD Finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL done, DWORD& bytes);
    void Serve();
    void ServeClient(HANDLE pipe, OVERLAPPED& overlapped);
    bool ClientTrusted(HANDLE pipe);

    std::wstring name_;
    TimeProvSysCallbacks callbacks_ = {};
    ProviderState state_;
    KernelHandle stop_{CreateEventA(nullptr, TRUE, FALSE, nullptr)};
    KernelHandle reconfigure_{CreateEventA(nullptr, FALSE, FALSE, nullptr)};
    KernelHandle thread_;
    bool refusalReported_ = false;
};

HRESULT Provider::Command(TimeProvCmd command, TimeProvArgs args) {
    switch (command) {
    case TPC_GetSamples: {
        auto* request = static_cast<TpcGetSamplesArgs*>(args);
        if (!request) return E_INVALIDARG;
        request->dwSamplesReturned = request->dwSamplesAvailable = 0;
        ProviderSample sample;
        if (!state_.Sample(sample)) return S_OK;
        request->dwSamplesAvailable = 1;
        if (!request->pbSampleBuf || request->cbSampleBuf < sizeof(TimeSample))
            return HRESULT_FROM_WIN32(ERROR_INSUFFICIENT_BUFFER);
        TimeSample out = {};
        out.dwSize = sizeof out;
        out.dwRefid = kGpsRefid;
        out.toOffset = sample.offset;
        out.tpDispersion = sample.dispersion;
        out.nSysTickCount = sample.tickCount;
        out.nSysPhaseOffset = sample.phaseOffset;
        out.nLeapFlags = sample.synchronised ? 0 : kLeapNotSynchronised;
        out.dwTSFlags = TSF_Hardware;
        const std::wstring unique = Wide(state_.UniqueName()).substr(0, 255);
        std::memcpy(out.wszUniqueName, unique.c_str(), (unique.size() + 1) * sizeof(WCHAR));
        std::memcpy(request->pbSampleBuf, &out, sizeof out);   // the buffer is bytes: no alignment promised
        request->dwSamplesReturned = 1;
        return S_OK;
    }
    case TPC_TimeJumped:
        state_.DropSample();
        return S_OK;
    case TPC_UpdateConfig:
        SetEvent(reconfigure_.Get());   // the file is read on the pipe's thread
        return S_OK;
    case TPC_Shutdown:
        Stop();
        return S_OK;
    default:   // samples come at the service's pace, whatever the poll interval
        return S_OK;
    }
}

// Memory the manager may still use after the call: freed by the manager. A
// call that fails may or may not have freed it, so it is then left.
void Provider::SetStatus(bool running) {
    if (!callbacks_.pfnSetProviderStatus) return;
    std::unique_ptr<PendingStatus> status(new (std::nothrow) PendingStatus);
    if (!status) return;
    status->name = name_;
    status->tpsCurrentState = running ? TPS_Running : TPS_Error;
    status->dwStratum = running ? 1 : 0;
    status->wszProvName = &status->name[0];
    status->hWaitEvent = nullptr;
    status->pfnFree = FreePendingStatus;
    status->pHr = &status->result;
    status->pdwSysStratum = &status->systemStratum;
    callbacks_.pfnSetProviderStatus(status.release());
}

// The service's settings file names the port and the period.
void Provider::ReadSettings() {
    const Settings settings = LoadSettings(ProfileStore("horalux.INI"));
    state_.Configure(ParsePeriodSeconds(settings.period), settings.port, GetTickCount64());
}

// Waits for `io` (or the time, given none) and meanwhile re-reads the
// settings and watches for silence.
Provider::Woken Provider::Wait(HANDLE io, DWORD ms) {
    const ULONGLONG start = GetTickCount64();
    for (;;) {
        const ULONGLONG elapsed = GetTickCount64() - start;
        if (!io && elapsed >= ms) return Woken::Done;
        const DWORD step = io || ms - elapsed > kSilenceCheckMs ? kSilenceCheckMs : static_cast<DWORD>(ms - elapsed);
        const HANDLE events[] = {stop_.Get(), reconfigure_.Get(), io};
        const DWORD woken = WaitForMultipleObjects(io ? 3 : 2, events, FALSE, step);
        if (woken == WAIT_OBJECT_0) return Woken::Stop;
        if (woken == WAIT_OBJECT_0 + 1) ReadSettings();
        if (woken == WAIT_OBJECT_0 + 2) return Woken::Done;
        state_.CheckSilence(GetTickCount64());
    }
}

// An overlapped call's result once it is over; on a stop it is cancelled
// (ERROR_OPERATION_ABORTED).
DWORD Provider::Finish(HANDLE pipe, OVERLAPPED& overlapped, BOOL done, DWORD& bytes) {
    if (!done) {
        const DWORD error = GetLastError();
        if (error != ERROR_IO_PENDING) return error;
        if (Wait(overlapped.hEvent) == Woken::Stop) CancelIo(pipe);
    }
    return GetOverlappedResult(pipe, &overlapped, &bytes, TRUE) ? ERROR_SUCCESS : GetLastError();
}

// One instance, made first, so that nobody else can take the name or serve
// beside it.
void Provider::Serve() {
    ReadSettings();
    const LocalMemory security(FeedPipeSecurity());
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, security.Get(), FALSE};
    const KernelHandle done(CreateEventA(nullptr, TRUE, FALSE, nullptr));
    KernelHandle pipe;
    for (bool reported = false; !pipe; reported = true) {
        if (security && done)
            pipe.Reset(CreateNamedPipeA(HORALUX_FEED_PIPE, PIPE_ACCESS_INBOUND | FILE_FLAG_FIRST_PIPE_INSTANCE | FILE_FLAG_OVERLAPPED,
                                        PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS, 1, 0,
                                        4096, 0, &attributes));
        if (pipe) break;
        if (!reported)
            Log(Event::Error, "The pipe " HORALUX_FEED_PIPE " could not be made (error " + std::to_string(GetLastError()) +
                                  "): another program may hold its name. No samples until it can be.");
        if (Wait(nullptr, kPipeRetryMs) == Woken::Stop) return;
    }
    OVERLAPPED overlapped = {};
    overlapped.hEvent = done.Get();
    while (!Stopping()) {
        DWORD bytes = 0;
        const DWORD error = Finish(pipe.Get(), overlapped, ConnectNamedPipe(pipe.Get(), &overlapped), bytes);
        if (error == ERROR_SUCCESS || error == ERROR_PIPE_CONNECTED)
            ServeClient(pipe.Get(), overlapped);
        else if (error != ERROR_NO_DATA)   // a client that left at once is no trouble
            Wait(nullptr, kSilenceCheckMs);
        DisconnectNamedPipe(pipe.Get());
    }
}

void Provider::ServeClient(HANDLE pipe, OVERLAPPED& overlapped) {
    state_.NewClient();
    for (bool checked = false;;) {
        uint8_t message[kFeedRecordSize + 1];
        DWORD bytes = 0;
        const DWORD error = Finish(pipe, overlapped, ReadFile(pipe, message, sizeof message, nullptr, &overlapped), bytes);
        if (error != ERROR_SUCCESS && error != ERROR_MORE_DATA) return;   // gone, or a stop
        if (!checked && !(checked = ClientTrusted(pipe))) {
            if (!refusalReported_)
                Log(Event::Warning, "A program that is neither the Horalux service nor an administrator wrote to "
                                    "the pipe " HORALUX_FEED_PIPE " and was refused.");
            refusalReported_ = true;
            return;
        }
        // Too long: what is read counts, the rest is not worth reading.
        state_.TakeIn(message, error == ERROR_MORE_DATA ? sizeof message : bytes, GetTickCount64());
        if (error == ERROR_MORE_DATA) return;
    }
}

// The pipe hands over the client's identity only after a first read.
bool Provider::ClientTrusted(HANDLE pipe) {
    if (!ImpersonateNamedPipeClient(pipe)) return false;
    KernelHandle token;
    const BOOL opened = OpenThreadToken(GetCurrentThread(), TOKEN_QUERY, TRUE, token.Put());
    if (!RevertToSelf()) ExitThread(0);   // never go on as the client
    return opened && IsTrustedClient(token.Get());
}

}  // namespace

extern "C" {

HRESULT WINAPI TimeProvOpen(WCHAR* name, TimeProvSysCallbacks* callbacks, TimeProvHandle* handle) {
    if (!callbacks || !handle || !callbacks->pfnGetTimeSysInfo || !callbacks->pfnLogTimeProvEvent ||
        !callbacks->pfnAlertSamplesAvail)
        return E_INVALIDARG;
    try {
        std::unique_ptr<Provider> provider(new Provider(name, *callbacks));
        if (!provider->Start()) return HRESULT_FROM_WIN32(GetLastError());
        *handle = provider.release();
        return S_OK;
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// Answers at once: the pipe is the thread's alone.
HRESULT WINAPI TimeProvCommand(TimeProvHandle handle, TimeProvCmd command, TimeProvArgs args) {
    if (!handle) return E_INVALIDARG;
    try {
        return static_cast<Provider*>(handle)->Command(command, args);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
}

// The thread ends at once on the stop; the call returns when it has.
HRESULT WINAPI TimeProvClose(TimeProvHandle handle) {
    delete static_cast<Provider*>(handle);
    return S_OK;
}

}  // extern "C"
