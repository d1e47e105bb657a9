#pragma once
#include <string>

// The status log's text: lines ended by CR LF, at most 100 of them, the
// oldest pushed out first.
class StatusLog {
public:
    static constexpr int kMaxLines = 100;

    void Clear();
    // Adds "stamp text"; line feeds inside are dropped, carriage returns stay.
    void Append(const std::string& stamp, const std::string& text);

    const std::string& Text() const { return text_; }
    int LineCount() const { return lineCount_; }

private:
    std::string text_;
    int lineCount_ = 0;
};
