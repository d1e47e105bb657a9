#pragma once
#include <array>
#include <cstddef>
#include <cstdint>

#include "sync/OffsetFeed.h"

// The pipe on which the Horalux service hands its estimates to its time
// provider inside Windows Time.
#define HORALUX_FEED_PIPE "\\\\.\\pipe\\Horalux.TimeSamples"
// The one service that may write to it beside administrators: the Horalux
// service, by its name with the service manager (HORALUX_SERVICE_NAME).
#define HORALUX_FEED_SERVICE "Horalux"

// One estimate as it crosses the pipe, one message each: little-endian,
//    0 magic "HLXS"   4 version 1   6 size 40   8 sequence   12 flags
//   16 PC time   24 offset GPS - PC   32 dispersion (all 100 ns units)
// Flag bit 0: not synchronised.
struct FeedRecord {
    OffsetSample sample;
    uint32_t sequence = 0;
};

constexpr size_t kFeedRecordSize = 40;
constexpr uint32_t kFeedRecordMagic = 0x53584C48;   // "HLXS" in the record's bytes
constexpr uint16_t kFeedRecordVersion = 1;
constexpr uint32_t kFeedNotSynchronised = 0x1;
// A day: more says nothing Windows Time could use, and keeps the sums small.
constexpr int64_t kFeedMaxDispersion = 864000000000LL;

using FeedRecordBytes = std::array<uint8_t, kFeedRecordSize>;

FeedRecordBytes EncodeFeedRecord(const FeedRecord& record);

// Why a message is not a record, in the order they are checked.
// Sequence is the provider's to find: one that does not follow its client's last.
enum class RecordProblem { None, Length, Magic, Version, Size, Flags, Time, Dispersion, Sequence };

// `out` is written only when the message is a good record.
RecordProblem DecodeFeedRecord(const uint8_t* bytes, size_t length, FeedRecord& out);

// "not 40 bytes long", ... for the provider's event.
const char* RecordProblemText(RecordProblem problem);
