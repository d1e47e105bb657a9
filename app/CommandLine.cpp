#include "app/CommandLine.h"

#include <algorithm>
#include <cctype>

namespace {

const char kQuiet[] = " /quiet";

std::string Lower(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The words in lower case, one blank apart. No string stream: it would
// weigh more than the program.
std::string Words(const std::string& arguments) {
    std::string words;
    bool gap = false;
    for (const char c : Lower(arguments)) {
        if (std::isspace(static_cast<unsigned char>(c))) {
            gap = !words.empty();
            continue;
        }
        if (gap) words += ' ';
        gap = false;
        words += c;
    }
    return words;
}

bool EndsQuiet(const std::string& words) {
    const size_t length = sizeof kQuiet - 1;
    return words.size() > length && words.compare(words.size() - length, length, kQuiet) == 0;
}

ProgramMode SwitchOf(const std::string& words) {
    static const struct { const char* words; ProgramMode mode; } kSwitches[] = {
        {"/install-service", ProgramMode::InstallService}, {"/remove-service", ProgramMode::RemoveService},
        {"/service", ProgramMode::Service},
        {"/windows-time on", ProgramMode::WindowsTimeOn}, {"/windows-time off", ProgramMode::WindowsTimeOff},
        {"/lan-server on", ProgramMode::LanServerOn}, {"/lan-server off", ProgramMode::LanServerOff}};
    for (const auto& entry : kSwitches)
        if (words == entry.words) return entry.mode;
    return ProgramMode::Window;
}

}  // namespace

bool WantsAutoStart(const std::string& arguments) {
    return Lower(arguments).find("run") != std::string::npos;
}

ProgramMode ModeOf(const std::string& arguments) {
    const std::string words = Words(arguments);
    if (!EndsQuiet(words)) return SwitchOf(words);
    const ProgramMode mode = SwitchOf(words.substr(0, words.size() - (sizeof kQuiet - 1)));
    return mode == ProgramMode::Service ? ProgramMode::Window : mode;
}

bool WantsQuiet(const std::string& arguments) {
    const ProgramMode mode = ModeOf(arguments);
    return EndsQuiet(Words(arguments)) && mode != ProgramMode::Window;
}
