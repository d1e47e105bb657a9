#pragma once
#include <string>

// The file URL of a local or UNC path, with "#fragment" when one is given:
// "C:\Program Files\h.htm", "main" -> "file:///C:/Program%20Files/h.htm#main".
// Blanks, '#' and '%' are escaped so the browser reads the whole path.
std::string FileUrl(const std::string& path, const std::string& fragment);
