#pragma once
#include <cstdint>
#include <string>

// One failed platform call: its Win32 code, the system's text for it and a
// context text naming the operation, such as "CDeviceRS232::Open()".
class CWin32Error {
public:
    CWin32Error();                               // captures the last error
    explicit CWin32Error(const char* context);   // sets the context, then captures

    void Capture();                              // reads, never changes, the last error
    void Clear();
    bool Describe(std::string& out) const;       // context + "\n" + system text; true when code != 0
    bool HasError() const { return code_ != 0; }

    uint32_t Code() const { return code_; }
    const std::string& SystemText() const { return systemText_; }
    const std::string& ContextText() const { return contextText_; }

private:
    uint32_t code_ = 0;
    std::string systemText_;
    std::string contextText_;
};
