#pragma once
#include <cstdint>
#include <string>

// The service's log as two files: the current one and the previous one.
class RotatingFiles {
public:
    virtual ~RotatingFiles() = default;
    virtual uint64_t CurrentSize() = 0;   // 0 when there is none yet
    virtual bool Append(const std::string& text) = 0;
    // The current file becomes the previous one, replacing it; the next
    // Append starts a new current file.
    virtual bool Rotate() = 0;
};

constexpr uint64_t kServiceLogBound = 1024 * 1024;

// Appends one whole line, first rotating when the line would take the
// current file over `bound`. A line is never split, and a line longer than
// the bound gets a file of its own. When the rotation fails (a reader holds
// the previous file without sharing its deletion) the line still goes to the
// current file: better over the bound than lost.
bool AppendLogLine(RotatingFiles& files, const std::string& line, uint64_t bound = kServiceLogBound);
