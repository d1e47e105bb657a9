#pragma once
#include <functional>
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

// The default value of a key under HKEY_CLASSES_ROOT; none when it cannot be read.
using ReadClassesRootDefault = std::function<std::optional<std::string>(const std::string& subkey)>;

// The command registered for ".htm" documents, read through `read`,
// composed as above to open target. None when a read fails or the command
// would not fit.
std::optional<std::string> RegisteredBrowserCommand(const ReadClassesRootDefault& read, const std::string& target);
