#pragma once
#include <cstdint>
#include <string>
#include "clocklink/Device.h"

// What the worker needs from the serial line beyond the byte stream.
class ClockPort {
public:
    virtual ~ClockPort() = default;
    virtual CDevice& Device() = 0;
    virtual bool Open(const std::string& portName) = 0;
    // 9600 baud, 8 data bits, no parity, one stop bit, 250 ms read interval,
    // writes that time out, starting from what the port reported; everything
    // else stays.
    virtual bool ApplyClockLineSettings(uint32_t& error) = 0;
    virtual void SendBreak() = 0;
};

// The auto-reset wake-up event, as the worker sees it.
class WakeEvent {
public:
    virtual ~WakeEvent() = default;
    virtual bool Open(uint32_t& error) = 0;
    virtual bool Wait(uint32_t& error) = 0;
    // Forgets wake-ups that came while an attempt ran: a tick missed that way
    // is lost, so attempts never run back to back.
    virtual void DropPending() = 0;
};

// Where the worker's reports go.
class StatusSink {
public:
    virtual ~StatusSink() = default;
    virtual void Post(int statusId, uint32_t errorCode) = 0;
    virtual void BroadcastTimeChange() = 0;
};
