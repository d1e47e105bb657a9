#include "files/ProfileStore.h"
#include "files/HexBytes.h"
#include <windows.h>
#include <utility>

namespace {

const DWORD kStringBuffer = 4096;
// Valid hex never contains it, so it tells a missing entry from an empty one.
const char kMissing[] = "?";

std::string ReadEntry(const std::string& file, const std::string& section,
                      const std::string& key, const char* defaultValue, DWORD bufferSize)
{
    std::string buffer(bufferSize, '\0');
    const DWORD length = GetPrivateProfileStringA(section.c_str(), key.c_str(), defaultValue,
                                                  &buffer[0], bufferSize, file.c_str());
    buffer.resize(length);
    return buffer;
}

} // namespace

ProfileStore::ProfileStore(std::string fileName) : fileName_(std::move(fileName)) {}

std::string ProfileStore::Path() const
{
    if (fileName_.find_first_of("\\/:") != std::string::npos) return fileName_;
    char folder[MAX_PATH] = "";
    GetWindowsDirectoryA(folder, MAX_PATH);
    return std::string(folder) + "\\" + fileName_;
}

std::string ProfileStore::GetString(const std::string& section, const std::string& key,
                                    const std::string& defaultValue) const
{
    return ReadEntry(fileName_, section, key, defaultValue.c_str(), kStringBuffer);
}

bool ProfileStore::WriteString(const std::string& section, const std::string& key,
                               const std::string& value, uint32_t* error)
{
    if (WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), fileName_.c_str()))
        return true;
    if (error) *error = GetLastError();
    return false;
}

bool ProfileStore::RemoveKey(const std::string& section, const std::string& key, uint32_t* error)
{
    if (!Remove(section.c_str(), key.c_str(), error)) return false;
    char keys[4] = "";   // a longer section fills it and counts 2 (its size less two)
    return GetPrivateProfileSectionA(section.c_str(), keys, sizeof keys, fileName_.c_str()) > 0 ||
           Remove(section.c_str(), nullptr, error);
}

bool ProfileStore::RemoveSection(const std::string& section, uint32_t* error)
{
    return Remove(section.c_str(), nullptr, error);
}

bool ProfileStore::Remove(const char* section, const char* key, uint32_t* error)
{
    if (WritePrivateProfileStringA(section, key, nullptr, fileName_.c_str())) return true;
    if (error) *error = GetLastError();
    return false;
}

bool ProfileStore::GetBinary(const std::string& section, const std::string& key,
                             std::vector<unsigned char>& out) const
{
    // Blocks may be longer than a string value: grow until the text fits.
    for (DWORD size = kStringBuffer;; size *= 2) {
        const std::string text = ReadEntry(fileName_, section, key, kMissing, size);
        if (text.size() + 1 < size) return DecodeHex(text, out);
        if (size >= (1u << 26)) return false;
    }
}

bool ProfileStore::WriteBinary(const std::string& section, const std::string& key,
                               const void* data, size_t size)
{
    return WriteString(section, key, EncodeHex(data, size));
}
