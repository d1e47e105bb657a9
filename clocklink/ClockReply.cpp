#include "clocklink/ClockReply.h"

#include <cctype>
#include <climits>

namespace {

// One "%d": optional white space, optional sign, at least one digit.
bool ReadInt(const char*& p, long long& value) {
    while (std::isspace(static_cast<unsigned char>(*p))) ++p;
    bool negative = false;
    if (*p == '+' || *p == '-') negative = (*p++ == '-');
    if (!std::isdigit(static_cast<unsigned char>(*p))) return false;
    long long v = 0;
    while (std::isdigit(static_cast<unsigned char>(*p))) {
        v = v * 10 + (*p++ - '0');
        if (v > INT_MAX) return false;
    }
    value = negative ? -v : v;
    return true;
}

const char DIGITS[] = "0123456789";

}  // namespace

bool ClockReplyEnded(const std::string& received) {
    const size_t start = received.find_first_of(DIGITS);
    return start != std::string::npos && received.find('\n', start) != std::string::npos;
}

ReplyParse ParseClockReply(const std::string& received, ClockTimeOfDay& out, size_t* timeAt) {
    const size_t start = received.find_first_of(DIGITS);
    if (start == std::string::npos) return ReplyParse::Unparseable;
    const size_t end = received.find('\n', start);
    if (end == std::string::npos) return ReplyParse::Unparseable;
    const std::string line = received.substr(start, end + 1 - start);
    long long fields[4];
    const char* p = line.c_str();   // NUL-terminated, so the scan below stops in it
    size_t hourAt = 0;
    for (int i = 0; i < 4; ++i) {
        if (i > 0 && *p++ != ':') return ReplyParse::Unparseable;
        if (i == 1) hourAt = start + static_cast<size_t>(p - line.c_str());
        if (!ReadInt(p, fields[i])) return ReplyParse::Unparseable;
    }
    if (p[0] != '\r' || p[1] != '\n') return ReplyParse::Unparseable;
    if (fields[1] < 0 || fields[1] > 23 || fields[2] < 0 || fields[2] > 59 ||
        fields[3] < 0 || fields[3] > 59)
        return ReplyParse::OutOfRange;
    out.hour = static_cast<int>(fields[1]);
    out.minute = static_cast<int>(fields[2]);
    out.second = static_cast<int>(fields[3]);
    if (timeAt) *timeAt = hourAt;
    return ReplyParse::Ok;
}
