#pragma once
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

// Settings in a private profile (INI) file. A bare file name without a
// directory lands in the Windows directory.
class ProfileStore {
public:
    explicit ProfileStore(std::string fileName);

    const std::string& FileName() const { return fileName_; }
    // Where the file is: a bare name is completed with the Windows directory.
    std::string Path() const;

    // The stored text (at most 4095 characters) or the default when missing.
    std::string GetString(const std::string& section, const std::string& key,
                          const std::string& defaultValue) const;
    // A failure leaves the system's error code in `error` when one is given.
    bool WriteString(const std::string& section, const std::string& key,
                     const std::string& value, uint32_t* error = nullptr);
    // A section left without keys goes too.
    bool RemoveKey(const std::string& section, const std::string& key, uint32_t* error = nullptr);
    bool RemoveSection(const std::string& section, uint32_t* error = nullptr);

    // Byte blocks are stored as hex text (see HexBytes.h). False when the
    // entry is missing or not valid hex; `out` is then left untouched.
    bool GetBinary(const std::string& section, const std::string& key,
                   std::vector<unsigned char>& out) const;
    bool WriteBinary(const std::string& section, const std::string& key,
                     const void* data, size_t size);

private:
    bool Remove(const char* section, const char* key, uint32_t* error);   // a null key: the whole section

    std::string fileName_;
};
