#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "timeprov/FeedRecord.h"
#include "timeprov/ProviderState.h"

namespace {

using Bytes = std::vector<uint8_t>;

Bytes Encoded(uint32_t sequence, int64_t pcTime, int64_t offset, int64_t dispersion, bool synchronised = true) {
    FeedRecord record;
    record.sequence = sequence;
    record.sample = {pcTime, offset, dispersion, synchronised};
    const FeedRecordBytes bytes = EncodeFeedRecord(record);
    return Bytes(bytes.begin(), bytes.end());
}

void SetField(Bytes& bytes, size_t at, uint64_t value) {
    for (int i = 0; i < 8; ++i) bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

}  // namespace

TEST(FeedRecord, EveryMalformedMessageIsNamedAndLeavesTheOutputAlone) {
    const struct {
        const char* what;
        std::function<void(Bytes&)> change;
        RecordProblem problem;
    } cases[] = {
        {"short", [](Bytes& b) { b.pop_back(); }, RecordProblem::Length},
        {"long", [](Bytes& b) { b.push_back(0); }, RecordProblem::Length},
        {"empty", [](Bytes& b) { b.clear(); }, RecordProblem::Length},
        {"magic", [](Bytes& b) { b[3] = 's'; }, RecordProblem::Magic},
        {"version 2", [](Bytes& b) { b[4] = 2; }, RecordProblem::Version},
        {"version 257", [](Bytes& b) { b[5] = 1; }, RecordProblem::Version},
        {"size field", [](Bytes& b) { b[6] = 41; }, RecordProblem::Size},
        {"size field high byte", [](Bytes& b) { b[7] = 1; }, RecordProblem::Size},
        {"unknown flag", [](Bytes& b) { b[12] = 3; }, RecordProblem::Flags},
        {"flag in the top byte", [](Bytes& b) { b[15] = 0x80; }, RecordProblem::Flags},
        {"no PC time", [](Bytes& b) { SetField(b, 16, 0); }, RecordProblem::Time},
        {"PC time before 1601", [](Bytes& b) { b[23] = 0x80; }, RecordProblem::Time},
        {"negative dispersion", [](Bytes& b) { SetField(b, 32, static_cast<uint64_t>(-1)); }, RecordProblem::Dispersion},
        {"dispersion over a day", [](Bytes& b) { SetField(b, 32, kFeedMaxDispersion + 1); }, RecordProblem::Dispersion},
        {"dispersion of a day", [](Bytes& b) { SetField(b, 32, kFeedMaxDispersion); }, RecordProblem::None},
        {"zero dispersion, first FILETIME", [](Bytes& b) { SetField(b, 32, 0), SetField(b, 16, 1); }, RecordProblem::None},
    };
    for (const auto& c : cases) {
        Bytes bytes = Encoded(7, 133000000000000000, 5, 10);
        c.change(bytes);
        FeedRecord out;
        out.sequence = 99;
        EXPECT_EQ(c.problem, DecodeFeedRecord(bytes.data(), bytes.size(), out)) << c.what;
        EXPECT_EQ(out.sequence, c.problem == RecordProblem::None ? 7u : 99u) << c.what;
    }
}

namespace {

struct FakeManager : TimeManager {
    int64_t now = 0;
    uint64_t tick = 0;
    std::vector<std::string> events;   // "I ...", "W ..."
    std::vector<bool> statuses;
    int alerts = 0;

    int64_t CurrentTime() override { return now; }
    uint64_t TickCount() override { return ++tick; }
    int64_t PhaseOffset() override { return -7; }
    void Log(Event type, const std::string& text) override { events.push_back((type == Event::Information ? "I " : "W ") + text); }
    void AlertSamplesAvail() override { ++alerts; }
    void SetStatus(bool running) override { statuses.push_back(running); }
};

}  // namespace

// A service's life as the provider sees it: samples keep NTP's sign and
// Windows Time's units and grow their dispersion with age; bad messages and
// replays change nothing and are reported once in a row; a jump drops the
// sample; four silent periods withdraw it until records come again.
TEST(ProviderState, SamplesUnderAFakeManager) {
    const int64_t t = 134000000000000000;   // a PC time in 2025
    FakeManager m;
    ProviderState state(m);
    state.Configure(1, "com5", 1000);
    // "offset dispersion tick phase synchronised", or "none"
    const auto sample = [&] {
        ProviderSample s;
        return !state.Sample(s) ? std::string("none")
                                : std::to_string(s.offset) + " " + std::to_string(s.dispersion) + " " + std::to_string(s.tickCount) +
                                      " " + std::to_string(s.phaseOffset) + " " + std::to_string(s.synchronised);
    };
    const auto takeIn = [&](const Bytes& message, uint64_t at) { state.TakeIn(message.data(), message.size(), at); };
    EXPECT_EQ(sample(), "none");

    takeIn(Encoded(1, t, 3000000, 200000), 1100);
    m.now = t + 101234567;   // 10.1234567 s later: 15 ppm of it, in whole units
    EXPECT_EQ(sample(), "3000000 201518 1 -7 1");
    m.now = t - 100000000;   // the PC clock stepped back: no age, never less
    EXPECT_EQ(sample(), "3000000 200000 1 -7 1");

    const Bytes behind = Encoded(2, t, -4000000, 0, false), garbage = {1, 2, 3};
    for (const Bytes* message : {&behind, &behind, &garbage}) takeIn(*message, 1200);
    EXPECT_EQ(sample(), "-4000000 0 2 -7 0");

    state.NewClient();   // a restarted service counts from 1 again
    for (const Bytes& message : {Encoded(1, t, 10, 0), garbage}) takeIn(message, 1300);
    EXPECT_EQ(sample(), "10 0 4 -7 1");   // the replay was stamped before it was refused
    state.DropSample();
    EXPECT_EQ(sample(), "none");

    state.CheckSilence(1300 + 3999);
    takeIn(behind, 1400);
    EXPECT_NE(sample(), "none");
    state.CheckSilence(1400 + 4000);
    EXPECT_EQ(sample(), "none");
    state.CheckSilence(1400 + 9000);   // said once

    state.Configure(2, "com7", 9999);
    EXPECT_EQ(state.UniqueName(), "Orvanel GPS clock on com7 (Horalux)");
    takeIn(Encoded(3, t, 10, 0), 10000);
    state.CheckSilence(10000 + 7999);
    EXPECT_EQ(m.statuses, std::vector<bool>({true, false, true}));
    EXPECT_EQ(m.alerts, 5);
    EXPECT_EQ(m.events, std::vector<std::string>({
        "I Samples started: the Orvanel GPS clock on com5 reaches Windows Time through the Horalux service.",
        "W A message on the Horalux pipe was dropped: a sequence number that does not follow the last one. "
        "Others are dropped without a further event until a good record comes.",
        "W A message on the Horalux pipe was dropped: not 40 bytes long. "
        "Others are dropped without a further event until a good record comes.",
        "W No sample from the Horalux service for 4 periods (4 s): Windows Time gets no time from the "
        "Orvanel GPS clock on com5 until one comes.",
        "I Samples started: the Orvanel GPS clock on com7 reaches Windows Time through the Horalux service.",
    }));
}
