#include "clocklink/Device.h"

void CDevice::RecordFailure(const std::string& context)
{
    lastFailure_ = CWin32Error(context.c_str());
}
