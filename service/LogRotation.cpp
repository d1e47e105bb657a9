#include "service/LogRotation.h"

bool AppendLogLine(RotatingFiles& files, const std::string& line, uint64_t bound) {
    const uint64_t size = files.CurrentSize();
    if (size > 0 && size + line.size() > bound) files.Rotate();
    return files.Append(line);
}
