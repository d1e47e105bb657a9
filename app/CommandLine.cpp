#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

namespace {

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

}  // namespace

bool WantsAutoStart(const std::string& arguments) {
    return Lower(arguments).find("run") != std::string::npos;
}

ProgramMode ModeOf(const std::string& arguments) {
    const size_t first = arguments.find_first_not_of(" \t");
    if (first == std::string::npos) return ProgramMode::Window;
    const std::string word = Lower(arguments.substr(first, arguments.find_last_not_of(" \t") + 1 - first));
    if (word == "/install-service") return ProgramMode::InstallService;
    if (word == "/remove-service") return ProgramMode::RemoveService;
    if (word == "/service") return ProgramMode::Service;
    return ProgramMode::Window;
}
