#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

bool WantsAutoStart(const std::string& arguments) {
    std::string lower = arguments;
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower.find("run") != std::string::npos;
}
