#include "about/RegistryDefault_win32.h"

#include "about/BrowserCommand.h"
#include "window/Handles_win32.h"

LONG ReadRegistryDefault(HKEY root, const std::string& subkey, std::string& value)
{
    RegistryKey key;
    LONG status = RegOpenKeyExA(root, subkey.c_str(), 0, KEY_QUERY_VALUE, key.Put());
    if (status != ERROR_SUCCESS) return status;
    char buffer[REGISTRY_VALUE_BUFFER] = {};
    LONG size = sizeof buffer;
    // A longer value fails with ERROR_MORE_DATA rather than being cut.
    status = RegQueryValueA(key.Get(), nullptr, buffer, &size);
    if (status != ERROR_SUCCESS) return status;
    buffer[sizeof buffer - 1] = '\0';
    // An unset default value reads as empty and names nothing to follow.
    if (buffer[0] == '\0') return ERROR_FILE_NOT_FOUND;
    value = buffer;
    return ERROR_SUCCESS;
}
