#include "timeprov/FeedRecord.h"

namespace {

constexpr uint16_t kRecordSize = static_cast<uint16_t>(kFeedRecordSize);

void Put(uint8_t* at, uint64_t value, int bytes) {
    for (int i = 0; i < bytes; ++i) at[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint64_t Get(const uint8_t* at, int bytes) {
    uint64_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) value = value << 8 | at[i];
    return value;
}

}  // namespace

FeedRecordBytes EncodeFeedRecord(const FeedRecord& record) {
    FeedRecordBytes bytes{};
    Put(&bytes[0], kFeedRecordMagic, 4);
    Put(&bytes[4], kFeedRecordVersion, 2);
    Put(&bytes[6], kRecordSize, 2);
    Put(&bytes[8], record.sequence, 4);
    Put(&bytes[12], record.sample.synchronised ? 0 : kFeedNotSynchronised, 4);
    Put(&bytes[16], static_cast<uint64_t>(record.sample.pcTime), 8);
    Put(&bytes[24], static_cast<uint64_t>(record.sample.offset), 8);
    Put(&bytes[32], static_cast<uint64_t>(record.sample.dispersion), 8);
    return bytes;
}

RecordProblem DecodeFeedRecord(const uint8_t* bytes, size_t length, FeedRecord& out) {
    if (length != kFeedRecordSize) return RecordProblem::Length;
    if (Get(&bytes[0], 4) != kFeedRecordMagic) return RecordProblem::Magic;
    if (Get(&bytes[4], 2) != kFeedRecordVersion) return RecordProblem::Version;
    if (Get(&bytes[6], 2) != kRecordSize) return RecordProblem::Size;
    const uint32_t flags = static_cast<uint32_t>(Get(&bytes[12], 4));
    if (flags & ~kFeedNotSynchronised) return RecordProblem::Flags;
    const int64_t pcTime = static_cast<int64_t>(Get(&bytes[16], 8));
    if (pcTime <= 0) return RecordProblem::Time;
    const int64_t dispersion = static_cast<int64_t>(Get(&bytes[32], 8));
    if (dispersion < 0 || dispersion > kFeedMaxDispersion) return RecordProblem::Dispersion;

    out.sequence = static_cast<uint32_t>(Get(&bytes[8], 4));
    out.sample.synchronised = (flags & kFeedNotSynchronised) == 0;
    out.sample.pcTime = pcTime;
    out.sample.offset = static_cast<int64_t>(Get(&bytes[24], 8));
    out.sample.dispersion = dispersion;
    return RecordProblem::None;
}

const char* RecordProblemText(RecordProblem problem) {
    switch (problem) {
    case RecordProblem::None: return "a good record";
    case RecordProblem::Length: return "not 40 bytes long";
    case RecordProblem::Magic: return "not a Horalux record";
    case RecordProblem::Version: return "a version this provider does not know";
    case RecordProblem::Size: return "a size field other than 40";
    case RecordProblem::Flags: return "unknown flags";
    case RecordProblem::Time: return "no PC time";
    case RecordProblem::Dispersion: return "a dispersion below 0 or above a day";
    case RecordProblem::Sequence: return "a sequence number that does not follow the last one";
    }
    return "";
}
