#include "about/BrowserCommand.h"

namespace {

bool EndsExe(const std::string& text, size_t at)
{
    static const char exe[] = ".exe";
    for (size_t i = 0; i < 4; ++i) {
        char c = text[at + i];
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
        if (c != exe[i]) return false;
    }
    return at + 4 == text.size() || text[at + 4] == ' ';
}

// Unquoted, a program path with blanks lets the system try each prefix cut
// at a blank as a program of its own ("C:\Program.exe" first). The path ends
// after the first ".exe" that a blank or the end follows, else at the first
// blank.
std::string QuoteProgram(const std::string& command)
{
    const size_t start = command.find_first_not_of(' ');
    if (start == std::string::npos || command[start] == '"') return command;
    size_t end = std::string::npos;
    for (size_t at = start; at + 4 <= command.size() && end == std::string::npos; ++at)
        if (EndsExe(command, at)) end = at + 4;
    if (end == std::string::npos) end = command.find(' ', start);
    if (end == std::string::npos) end = command.size();
    return command.substr(0, start) + '"' + command.substr(start, end - start) + '"' + command.substr(end);
}

}  // namespace

std::optional<std::string> ComposeBrowserCommand(const std::string& registered,
                                                 const std::string& target)
{
    std::string command = registered;
    // A quote, a percent sign and a digit are never trail bytes in the
    // double-byte ANSI code pages, so a byte search finds what a multibyte
    // search would.
    auto placeholder = command.find("\"%1\"");
    if (placeholder == std::string::npos) placeholder = command.find("%1");
    if (placeholder != std::string::npos) command.erase(placeholder);
    command = QuoteProgram(command);
    command += ' ';
    command += target;
    if (command.size() >= BROWSER_COMMAND_BUFFER) return std::nullopt;
    return command;
}

std::optional<std::string> RegisteredBrowserCommand(const ReadClassesRootDefault& read, const std::string& target)
{
    const auto documentClass = read(".htm");
    if (!documentClass) return std::nullopt;
    const auto registered = read(*documentClass + "\\shell\\open\\command");
    if (!registered) return std::nullopt;
    return ComposeBrowserCommand(*registered, target);
}
