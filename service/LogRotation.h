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

// Appends whole lines, first rotating when a line would take the current file
// over the bound. A line is never split, and a line longer than the bound
// gets a file of its own. While rotations fail (a reader holds the previous
// file without sharing its deletion) lines still go to the current file, up
// to twice the bound; then the file gets one notice and nothing more until a
// rotation succeeds.
class BoundedLog {
public:
    enum class Outcome { Written, Failed, Full, LeftOut };   // Full: the notice went in instead

    explicit BoundedLog(RotatingFiles& files, uint64_t bound = kServiceLogBound) : files_(files), bound_(bound) {}

    Outcome Append(const std::string& line, const std::string& notice);

private:
    RotatingFiles& files_;
    uint64_t bound_;
    bool full_ = false;
};
