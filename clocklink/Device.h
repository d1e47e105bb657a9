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
    virtual uint32_t PeekRead() = 0;
    virtual bool Write(const void* buffer, uint32_t& count) = 0;
    virtual uint32_t GetCharsPerMs() = 0;
    virtual void Flush() = 0;

    const CWin32Error& LastFailure() const { return lastFailure_; }

protected:
    CDevice() { lastFailure_.Clear(); }
    void RecordFailure(const std::string& context);

    CWin32Error lastFailure_;
};
