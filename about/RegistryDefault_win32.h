#pragma once
#include <windows.h>
#include <string>

// The default value of root\subkey; the registry's error code, with value
// untouched, when the key or its value cannot be read.
LONG ReadRegistryDefault(HKEY root, const std::string& subkey, std::string& value);
