#pragma once
#include <cstdint>
#include <string>
#include "clocklink/Win32Error.h"

// A byte stream to the clock. Operations never throw: they return a result and
// record the last failed platform call.
class CDevice {
public:
    virtual ~CDevice() = default;
    virtual bool Open(std::string portName) = 0;
    virtual bool Close() = 0;
    virtual bool Read(void* buffer, uint32_t& count) = 0;
    // Like Read, but when nothing has arrived waits up to waitMs for the
    // first byte, returning as soon as any is there.
    virtual bool ReadArriving(void* buffer, uint32_t& count, uint32_t waitMs) = 0;
    virtual uint32_t PeekRead() = 0;
    virtual bool Write(const void* buffer, uint32_t& count) = 0;
    virtual uint32_t GetCharsPerMs() = 0;
    virtual void Flush() = 0;
    // The clock's line: 9600 baud, 8 data bits, no parity, one stop bit, a
    // 250 ms read interval and writes that time out; the rest stays as the
    // port reported it. On failure, error is the Win32 code.
    virtual bool SetClockLine(uint32_t& error) = 0;
    virtual void SendBreak() = 0;   // 200 ms

    const CWin32Error& LastFailure() const { return lastFailure_; }

protected:
    CDevice() { lastFailure_.Clear(); }
    void RecordFailure(const std::string& context);

    CWin32Error lastFailure_;
};
