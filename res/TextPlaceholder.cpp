#include "res/TextPlaceholder.h"

std::string ReplaceNumberPlaceholder(const std::string& text, long value)
{
    std::string result = text;
    const auto at = result.find("%d");
    if (at != std::string::npos) result.replace(at, 2, std::to_string(value));
    return result;
}
