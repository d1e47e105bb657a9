#pragma once
#include <string>

// Puts the decimal value in place of the first "%d" of a table text, which
// may come from a resource and so never reaches printf as a format.
std::string ReplaceNumberPlaceholder(const std::string& text, long value);
