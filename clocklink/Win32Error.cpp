#include "clocklink/Win32Error.h"

#include "clocklink/SystemError.h"

CWin32Error::CWin32Error()
{
    Capture();
}

CWin32Error::CWin32Error(const char* context) : contextText_(context != nullptr ? context : "")
{
    Capture();
}

void CWin32Error::Capture()
{
    code_ = GetLastErrorCode();
    systemText_ = GetSystemErrorText(code_);
}

void CWin32Error::Clear()
{
    code_ = 0;
    systemText_.clear();
    contextText_.clear();
}

bool CWin32Error::Describe(std::string& out) const
{
    out = contextText_ + "\n" + systemText_;
    return HasError();
}
