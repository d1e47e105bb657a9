#include "clocklink/DeviceRS232_win32.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

const char OPEN_TEXT[] = "CDeviceRS232::Open()";
const char FLUSH_TEXT[] = "CDeviceRS232::Flush() : FlushFileBuffers() / PurgeComm()";
const char BREAK_TEXT[] = "CDeviceRS232::SendBreak() SetCommBreak() / ClearCommBreak()";
const DWORD BREAK_MS = 200;

} // namespace

CDeviceRS232::CDeviceRS232()
{
    Reset();
}

CDeviceRS232::~CDeviceRS232()
{
    Close();
}

void CDeviceRS232::Reset()
{
    state_ = RS232State();
    state_.inputQueueSize = DEFAULT_INPUT_QUEUE;
    state_.outputQueueSize = DEFAULT_OUTPUT_QUEUE;
}

bool CDeviceRS232::Open(std::string portName)
{
    if (portName.size() >= sizeof(state_.portName)) {
        // No platform call failed, so give the record a code of its own.
        SetLastError(ERROR_INVALID_NAME);
        RecordFailure(OPEN_TEXT);
        return false;
    }
    Close();

    // Any name is taken, since virtual port drivers choose their own; one may
    // lead to a pipe, whose server must not act as this (maybe elevated)
    // program: it may learn who opened it, nothing more.
    const std::string path = "\\\\.\\" + portName;
    port_.Reset(CreatePort(path, FILE_ATTRIBUTE_NORMAL | SECURITY_SQOS_PRESENT | SECURITY_IDENTIFICATION));
    if (!IsOpen()) {
        RecordFailure(OPEN_TEXT);
        return false;
    }
    std::memcpy(state_.portName, portName.c_str(), portName.size() + 1);

    DWORD mask = 0;
    if (!GetCommTimeouts(port_.Get(), &state_.timeouts) || !GetCommState(port_.Get(), &state_.dcb) ||
        !GetCommMask(port_.Get(), &mask)) {
        RecordFailure(OPEN_TEXT);
        return false;
    }
    state_.eventMask = mask;
    return true;
}

HANDLE CDeviceRS232::CreatePort(const std::string& path, DWORD flags)
{
    return CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, flags, nullptr);
}

bool CDeviceRS232::Close()
{
    Flush();
    bool closed = false;
    if (IsOpen()) {
        closed = port_.Reset();
        if (!closed) RecordFailure("CDeviceRS232::Close()");
    }
    Reset();
    return closed;
}

bool CDeviceRS232::SetState(const RS232State& state)
{
    state_ = state;
    if (!IsOpen()) return true;
    if (!SetCommState(port_.Get(), &state_.dcb) || !SetCommTimeouts(port_.Get(), &state_.timeouts) ||
        !SetupComm(port_.Get(), state_.inputQueueSize, state_.outputQueueSize) ||
        !SetCommMask(port_.Get(), state_.eventMask)) {
        RecordFailure("CDeviceRS232::SetState()");
        return false;
    }
    return true;
}

bool CDeviceRS232::SetClockLine(uint32_t& error)
{
    RS232State state = state_;
    state.dcb.BaudRate = 9600;
    state.dcb.ByteSize = 8;
    state.dcb.Parity = NOPARITY;
    state.dcb.StopBits = ONESTOPBIT;
    // A read returns as soon as a byte is there, waiting for the first up
    // to the constant: the documented meaning of this combination.
    state.timeouts.ReadIntervalTimeout = MAXDWORD;
    state.timeouts.ReadTotalTimeoutMultiplier = MAXDWORD;
    state.timeouts.ReadTotalTimeoutConstant = kArrivingMs;
    // The port's own flow control stays, so a line held up (CTS low, a
    // stray XOFF) must fail a write rather than hang the worker, which
    // would then ignore Stop and hold the port for good.
    state.timeouts.WriteTotalTimeoutMultiplier = kWriteMsPerByte;
    state.timeouts.WriteTotalTimeoutConstant = kWriteSlackMs;
    if (SetState(state)) return true;
    error = GetLastError();
    return false;
}

bool CDeviceRS232::Read(void* buffer, uint32_t& count)
{
    const uint32_t waiting = PeekRead();
    if (waiting == 0) {
        count = 0;
        return false;
    }
    DWORD got = 0;
    if (!ReadFile(port_.Get(), buffer, std::min(count, waiting), &got, nullptr)) {
        RecordFailure("CDeviceRS232::Read()");
        count = 0;
        return false;
    }
    count = got;
    return true;
}

bool CDeviceRS232::ReadArriving(void* buffer, uint32_t& count, uint32_t waitMs)
{
    if (count == 0 || PeekRead() > 0) return Read(buffer, count);
    // 0 and MAXDWORD would change the meaning of the combination.
    const DWORD wait = waitMs < 1 ? 1 : waitMs > 60000 ? 60000 : waitMs;
    if (wait != state_.timeouts.ReadTotalTimeoutConstant) {
        COMMTIMEOUTS timeouts = state_.timeouts;
        timeouts.ReadTotalTimeoutConstant = wait;
        if (!SetCommTimeouts(port_.Get(), &timeouts)) {
            RecordFailure("CDeviceRS232::ReadArriving(), SetCommTimeouts");
            count = 0;
            return false;
        }
        state_.timeouts = timeouts;
    }
    // One byte, then what came with it: some drivers (Wine's) fill the whole
    // request before they return.
    DWORD got = 0;
    if (!ReadFile(port_.Get(), buffer, 1, &got, nullptr)) {
        RecordFailure("CDeviceRS232::ReadArriving()");
        count = 0;
        return false;
    }
    if (got == 0) {
        count = 0;
        return false;
    }
    uint32_t rest = count - 1;
    if (rest == 0 || !Read(static_cast<char*>(buffer) + 1, rest)) rest = 0;
    count = 1 + rest;
    return true;
}

uint32_t CDeviceRS232::PeekRead()
{
    DWORD errors = 0;
    COMSTAT status = {};
    if (!ClearCommError(port_.Get(), &errors, &status)) {
        RecordFailure("CDeviceRS232::PeekRead(), ClearCommError");
        return 0;
    }
    if (errors != 0) {
        // Whatever did arrive is still handed out: the caller checks the
        // reply's form. The record keeps the line-error word for diagnosis.
        char text[96];
        std::snprintf(text, sizeof(text),
                      "CDeviceRS232::PeekRead(), ClearCommError returned the following comm error 0x%08lx",
                      static_cast<unsigned long>(errors));
        SetLastError(ERROR_IO_DEVICE);
        RecordFailure(text);
    }
    return status.cbInQue;
}

bool CDeviceRS232::Write(const void* buffer, uint32_t& count)
{
    const uint32_t requested = count;
    DWORD written = 0;
    const BOOL ok = WriteFile(port_.Get(), buffer, requested, &written, nullptr);
    count = written;
    if (!ok) {
        RecordFailure("CDeviceRS232::Write(), WriteFile failed attempting to write " +
                      std::to_string(requested));
        return false;
    }
    return true;
}

uint32_t CDeviceRS232::GetCharsPerMs()
{
    return state_.dcb.BaudRate / 10000;
}

void CDeviceRS232::Flush()
{
    if (!IsOpen()) return;
    // Discarding only: FlushFileBuffers would wait for queued output to go
    // out, for ever on a line that flow control holds up. The clock echoes
    // each byte before the next is written, so nothing queued is worth it.
    if (!PurgeComm(port_.Get(), PURGE_TXABORT | PURGE_RXABORT | PURGE_TXCLEAR | PURGE_RXCLEAR))
        RecordFailure(FLUSH_TEXT);
}

void CDeviceRS232::SendBreak()
{
    if (!IsOpen()) return;
    // A refused break is recorded like a refused release: both leave the
    // clock without its wake-up signal.
    if (!SetCommBreak(port_.Get())) {
        RecordFailure(BREAK_TEXT);
        return;
    }
    Sleep(BREAK_MS);
    if (!ClearCommBreak(port_.Get())) RecordFailure(BREAK_TEXT);
}
