#include "service/LogRotation.h"

BoundedLog::Outcome BoundedLog::Append(const std::string& line, const std::string& notice) {
    uint64_t size = files_.CurrentSize();
    if (size > 0 && size + line.size() > bound_ && files_.Rotate()) size = 0;
    if (size == 0 || size + line.size() <= 2 * bound_) {
        full_ = false;
        return files_.Append(line) ? Outcome::Written : Outcome::Failed;
    }
    if (full_) return Outcome::LeftOut;
    full_ = true;
    files_.Append(notice);
    return Outcome::Full;
}
