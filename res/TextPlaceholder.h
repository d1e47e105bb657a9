#pragma once
#include <string>

// Puts the decimal value in place of the first "%d" of a string-table text.
// Such texts come from a resource that anyone may edit, so none of them ever
// reaches printf as a format.
std::string ReplaceNumberPlaceholder(const std::string& text, long value);

// The same for the first "%s" and a text.
std::string ReplaceTextPlaceholder(const std::string& text, const std::string& value);
