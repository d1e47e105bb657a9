#pragma once
#include <string>

// Path helpers for names derived from the executable's path. Both '\' and '/'
// separate directories; a dot in a directory name is not an extension.

// "C:\dir\horalux.exe" -> "horalux"
std::string FileTitle(const std::string& path);

// "C:\dir\horalux.exe", ".HLP" -> "C:\dir\horalux.HLP"; appends when the file
// name has no extension.
std::string ReplaceExtension(const std::string& path, const std::string& extension);
