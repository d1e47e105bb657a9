#include "sync/StatusLog.h"

#include <algorithm>

void StatusLog::Clear() {
    text_.clear();
    lineCount_ = 0;
}

void StatusLog::Append(const std::string& stamp, const std::string& text) {
    if (lineCount_ + 1 > kMaxLines) {
        const size_t firstLf = text_.find('\n');
        if (firstLf != std::string::npos) text_.erase(0, firstLf + 1);
    }
    lineCount_ = std::min(lineCount_ + 1, kMaxLines);

    std::string line = stamp + " " + text;
    line.erase(std::remove(line.begin(), line.end(), '\n'), line.end());
    text_ += line;
    text_ += "\r\n";
}
