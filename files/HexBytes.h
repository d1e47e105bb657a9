#pragma once
#include <cstddef>
#include <string>
#include <vector>

// Byte blocks in text form: two upper-case hex digits per byte, no separators,
// so every byte value (0 and 255 included) survives a text store. An empty
// block is the empty text.
std::string EncodeHex(const void* data, size_t size);

// Lower-case digits are accepted; odd length or any other character is
// rejected and leaves `out` untouched.
bool DecodeHex(const std::string& text, std::vector<unsigned char>& out);
