#include "files/FileUrl.h"

std::string FileUrl(const std::string& path, const std::string& fragment)
{
    // A UNC path already starts with the two slashes of the host part.
    std::string url = path.compare(0, 2, "\\\\") == 0 ? "file:" : "file:///";
    for (const char c : path) {
        if (c == '\\') url += '/';
        else if (c == ' ') url += "%20";
        else if (c == '#') url += "%23";
        else if (c == '%') url += "%25";
        else url += c;
    }
    if (!fragment.empty()) url += '#' + fragment;
    return url;
}
