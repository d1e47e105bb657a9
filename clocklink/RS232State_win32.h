#pragma once
#include <windows.h>
#include <cstdint>

// Serial configuration of a port: name without the device prefix, line
// settings, time-outs, queue sizes and event mask.
struct RS232State {
    RS232State();

    char portName[32];
    DCB dcb;
    COMMTIMEOUTS timeouts;
    uint32_t inputQueueSize;
    uint32_t outputQueueSize;
    uint32_t eventMask;
};

inline RS232State::RS232State()
    : portName{"COM1"}, dcb(), timeouts(), inputQueueSize(4096), outputQueueSize(4096), eventMask(EV_ERR)
{
    dcb.DCBlength = sizeof(DCB);
    dcb.BaudRate = CBR_9600;
    dcb.fBinary = 1;
    dcb.fDtrControl = DTR_CONTROL_ENABLE;
    dcb.fRtsControl = RTS_CONTROL_ENABLE;
    dcb.XonLim = 2048;
    dcb.XoffLim = 512;
    dcb.ByteSize = 8;
    dcb.Parity = NOPARITY;
    dcb.StopBits = ONESTOPBIT;
    timeouts.ReadIntervalTimeout = 250;
}
