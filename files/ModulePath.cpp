#include "files/ModulePath.h"

namespace {

size_t FileNameStart(const std::string& path)
{
    const size_t separator = path.find_last_of("\\/:");
    return separator == std::string::npos ? 0 : separator + 1;
}

// Position of the extension's dot in the file name, or npos.
size_t ExtensionDot(const std::string& path)
{
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || dot < FileNameStart(path)) return std::string::npos;
    return dot;
}

} // namespace

std::string FileTitle(const std::string& path)
{
    const size_t start = FileNameStart(path);
    const size_t dot = ExtensionDot(path);
    return path.substr(start, dot == std::string::npos ? std::string::npos : dot - start);
}

std::string ReplaceExtension(const std::string& path, const std::string& extension)
{
    return path.substr(0, ExtensionDot(path)) + extension;
}
