#include "about/BrowserCommand.h"

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
    command += ' ';
    command += target;
    if (command.size() >= BROWSER_COMMAND_BUFFER) return std::nullopt;
    return command;
}
