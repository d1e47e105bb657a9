#include "tests/unit/support/FakeSystemError.h"

#include <map>
#include <mutex>

namespace {

thread_local uint32_t lastError = 0;

std::mutex tableLock;

std::map<uint32_t, std::string> BuiltInTexts()
{
    return {
        {2, "The system cannot find the file specified.\r\n"},
        {5, "Access is denied.\r\n"},
        {6, "The handle is invalid.\r\n"},
        {31, "A device attached to the system is not functioning.\r\n"},
        {1314, "A required privilege is not held by the client.\r\n"},
    };
}

std::map<uint32_t, std::string>& Texts()
{
    static std::map<uint32_t, std::string> texts = BuiltInTexts();
    return texts;
}

} // namespace

uint32_t GetLastErrorCode()
{
    return lastError;
}

std::string GetSystemErrorText(uint32_t code)
{
    std::lock_guard<std::mutex> guard(tableLock);
    const auto found = Texts().find(code);
    return found != Texts().end() ? found->second : std::string();
}

namespace fake_system_error {

void SetLastErrorCode(uint32_t code)
{
    lastError = code;
}

void SetText(uint32_t code, const std::string& text)
{
    std::lock_guard<std::mutex> guard(tableLock);
    Texts()[code] = text;
}

void ResetTexts()
{
    std::lock_guard<std::mutex> guard(tableLock);
    Texts() = BuiltInTexts();
}

} // namespace fake_system_error
