#pragma once
#include <optional>
#include <string>

// Sizes of the buffers the registered-browser fallback works in, terminator included.
constexpr size_t REGISTRY_VALUE_BUFFER = 260;
constexpr size_t BROWSER_COMMAND_BUFFER = 520;

// The command that opens target with the program registered for ".htm":
// the registered command up to its "%1" placeholder with its program path
// quoted, a blank, the target.
// None when it would not fit the command buffer.
std::optional<std::string> ComposeBrowserCommand(const std::string& registered,
                                                 const std::string& target);
