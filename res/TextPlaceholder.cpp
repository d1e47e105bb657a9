#include "res/TextPlaceholder.h"

namespace {

std::string Replace(const std::string& text, const char* placeholder, const std::string& value)
{
    std::string result = text;
    const auto at = result.find(placeholder);
    if (at != std::string::npos) result.replace(at, 2, value);
    return result;
}

} // namespace

std::string ReplaceNumberPlaceholder(const std::string& text, long value)
{
    return Replace(text, "%d", std::to_string(value));
}

std::string ReplaceTextPlaceholder(const std::string& text, const std::string& value)
{
    return Replace(text, "%s", value);
}
