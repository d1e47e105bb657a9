#pragma once
#include <windows.h>
#include <cstdint>
#include <string>
#include "clocklink/Device.h"
#include "clocklink/RS232State_win32.h"
#include "window/Handles_win32.h"

// A serial port through the Win32 communications API, held exclusively. Read
// takes only what has already arrived; ReadArriving waits for the first byte
// and returns with it, by the read time-outs that do exactly that.
class CDeviceRS232 : public CDevice {
public:
    static constexpr uint32_t DEFAULT_INPUT_QUEUE = 4096;
    static constexpr uint32_t DEFAULT_OUTPUT_QUEUE = 4096;

    CDeviceRS232();
    ~CDeviceRS232() override;
    CDeviceRS232(const CDeviceRS232&) = delete;
    CDeviceRS232& operator=(const CDeviceRS232&) = delete;

    bool Open(std::string portName) override;
    bool Close() override;
    bool Read(void* buffer, uint32_t& count) override;
    bool ReadArriving(void* buffer, uint32_t& count, uint32_t waitMs) override;
    uint32_t PeekRead() override;
    bool Write(const void* buffer, uint32_t& count) override;
    uint32_t GetCharsPerMs() override;
    void Flush() override;

    bool SetClockLine(uint32_t& error) override;
    void SendBreak() override;

    bool SetState(const RS232State& state);
    const RS232State& GetState() const { return state_; }

protected:
    // Opens the device path; virtual so that a test can see the flags asked for.
    virtual HANDLE CreatePort(const std::string& path, DWORD flags);

private:
    static constexpr DWORD kWriteMsPerByte = 2;   // a byte takes about 1 ms at 9600 baud
    static constexpr DWORD kWriteSlackMs = 500;
    static constexpr DWORD kArrivingMs = 100;     // the clock line's wait for a first byte, unless asked

    void Reset();
    bool IsOpen() const { return static_cast<bool>(port_); }

    KernelHandle port_;
    RS232State state_;
};
