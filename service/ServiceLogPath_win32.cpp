#include "service/ServiceLogPath_win32.h"

#include <windows.h>
#include <shlobj.h>

std::string ServiceLogPath() {
    char folder[MAX_PATH] = "";
    if (FAILED(SHGetFolderPathA(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder))) return "";
    return std::string(folder) + "\\Horalux\\horalux.log";
}
