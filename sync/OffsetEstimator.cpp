#include "sync/OffsetEstimator.h"

#include <algorithm>

namespace {

bool Meet(const OffsetInterval& a, const OffsetInterval& b) {
    return std::max(a.lo, b.lo) <= std::min(a.hi, b.hi);
}

// What holds if any one of the intervals is wrong: the second largest lower
// bound and the second smallest upper bound (one interval: itself).
OffsetInterval Robust(const std::vector<OffsetInterval>& all) {
    if (all.size() == 1) return all[0];
    int64_t lo[2] = {INT64_MIN, INT64_MIN}, hi[2] = {INT64_MAX, INT64_MAX};
    for (const OffsetInterval& i : all) {
        if (i.lo > lo[0]) lo[1] = lo[0], lo[0] = i.lo;
        else if (i.lo > lo[1]) lo[1] = i.lo;
        if (i.hi < hi[0]) hi[1] = hi[0], hi[0] = i.hi;
        else if (i.hi < hi[1]) hi[1] = i.hi;
    }
    return {lo[1], hi[1]};
}

int64_t Abs(int64_t v) { return v < 0 ? -v : v; }

OffsetInterval Intersection(const std::vector<OffsetInterval>& all) {
    OffsetInterval common{INT64_MIN, INT64_MAX};
    for (const OffsetInterval& i : all) common = {std::max(common.lo, i.lo), std::min(common.hi, i.hi)};
    return common;
}

// The PC time in [from, latest] whose phase in the second is nearest `phase`.
int64_t AtPhase(int64_t from, int64_t latest, int64_t phase) {
    const int64_t s = OffsetEstimator::kSecondUs;
    const int64_t ahead = ((phase - from) % s + s) % s;
    if (ahead <= latest - from) return from + ahead;
    return ahead - (latest - from) < s - ahead ? latest : from;
}

}  // namespace

OffsetInterval OffsetEstimator::Bounds(const ClockReading& r, const Stamp& now, Model model) const {
    const int64_t elapsed = now.counter - r.at.counter;
    const int64_t moved = Moved(r.at, now);
    const bool same = now.pc == r.at.pc && now.counter == r.at.counter;
    const int64_t widen = DriftUs(elapsed) + (same ? 0 : 2 * pairErrorUs_);
    const int64_t hi = r.latest - r.second + moved + widen;
    if (model == Model::Promptly) return {hi - 2 * widen - (waitsForSecond_ ? 0 : kSecondUs) - 2 * lagGuessUs_, hi};
    const int64_t composedFrom = model == Model::SecondStart ? secondSlackUs_ : kSecondUs;
    return {r.earliest - r.second - composedFrom + moved - widen, hi};
}

std::vector<OffsetInterval> OffsetEstimator::Kept(const Stamp& now, Model model) const {
    std::vector<OffsetInterval> all;
    for (const ClockReading& r : kept_) all.push_back(Bounds(r, now, model));
    return all;
}

OffsetEstimator::Verdict OffsetEstimator::Add(const ClockReading& reading) {
    const Stamp& now = reading.at;
    ++added_;
    if (waitsForSecond_) secondSlackUs_ = std::max(secondSlackUs_, UpperSpread(now, &reading));
    const OffsetInterval fresh = Bounds(reading, now, Stated());
    if (!kept_.empty() && !Meet(Robust(Kept(now, Stated())), fresh)) {
        // Two readings that agree with each other outvote what was kept.
        if (hasSuspect_ && Meet(Bounds(suspect_, now, Stated()), fresh)) {
            kept_ = {Held(suspect_, added_ - 1), Held(reading, added_)};
            hasSuspect_ = waitsForSecond_ = answersAtOnce_ = composesAnyTime_ = false;
            secondSlackUs_ = kNextSecondSlackUs;
            return Verdict::Restarted;
        }
        suspect_ = reading;
        hasSuspect_ = true;
        return Verdict::Suspect;
    }
    hasSuspect_ = false;   // the reading after it sided with what was kept
    kept_.push_back(Held(reading, added_));
    Prune(now);
    if (!waitsForSecond_) Classify(now);
    return Verdict::Agreed;
}

// A kept reading that no longer meets what the others establish was a wrong
// reply that fitted while little was known: it goes, so that wrong replies
// never add up. When full, the oldest reading goes that bounds neither end,
// so that readings at telling phases outlive any number of others.
void OffsetEstimator::Prune(const Stamp& now) {
    for (bool pruned = true; pruned && kept_.size() > 2;) {
        const std::vector<OffsetInterval> all = Kept(now, Stated());
        const OffsetInterval agreed = Robust(all);
        pruned = false;
        for (size_t i = 0; i < all.size() && !pruned; ++i)
            if (!Meet(all[i], agreed)) kept_.erase(kept_.begin() + static_cast<long>(i)), pruned = true;
    }
    if (kept_.size() <= kKept) return;
    const std::vector<OffsetInterval> all = Kept(now, Stated());
    std::vector<size_t> order(all.size());
    for (size_t i = 0; i < order.size(); ++i) order[i] = i;
    // Beyond kOutlived newer readings none is kept: a wrong reply that fitted
    // must not stay to meet another.
    std::vector<bool> bounding(all.size(), false);
    for (int end = 0; end < 2; ++end) {
        std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
            return end == 0 ? all[a].lo > all[b].lo : all[a].hi < all[b].hi;
        });
        bounding[order[0]] = bounding[order[1]] = true;
    }
    size_t oldest = 0;
    while (bounding[oldest] && added_ - kept_[oldest].serial < kOutlived) ++oldest;
    kept_.erase(kept_.begin() + static_cast<long>(oldest));
}

// A clock that waits for the next second answers at one phase of the PC's
// second however the commands were spread; one that answers at once, or
// after a fixed or random delay, does not.
void OffsetEstimator::Classify(const Stamp& now) {
    answersAtOnce_ = false;
    // Replies that no clock composing at a second's start could give, more
    // than one wrong reply explains.
    const std::vector<OffsetInterval> starts = Kept(now, Model::SecondStart);
    const OffsetInterval agreed = Robust(starts);
    const auto apart = std::count_if(starts.begin(), starts.end(), [&](const OffsetInterval& i) { return !Meet(i, agreed); });
    composesAnyTime_ = composesAnyTime_ || (kept_.size() >= 3 && (agreed.lo > agreed.hi || apart >= 2));
    if (kept_.size() < kToClassify) return;
    int64_t upLo = INT64_MAX, upHi = INT64_MIN, delayLo = INT64_MAX, delayHi = INT64_MIN;
    std::vector<int64_t> phases;
    for (const ClockReading& r : kept_) {
        const int64_t up = Bounds(r, now, Model::SecondStart).hi, delay = r.latest - r.earliest;
        upLo = std::min(upLo, up);
        upHi = std::max(upHi, up);
        delayLo = std::min(delayLo, delay);
        delayHi = std::max(delayHi, delay);
        phases.push_back(((r.earliest - r.second) % kSecondUs + kSecondUs) % kSecondUs);
    }
    waitsForSecond_ = upHi - upLo <= kClusterUs && delayHi - delayLo >= kSpreadUs && agreed.lo <= agreed.hi;
    if (waitsForSecond_) secondSlackUs_ = std::max(kNextSecondSlackUs, UpperSpread(now, nullptr));
    // Quick replies to commands spread over the second: no clock that waits.
    std::sort(phases.begin(), phases.end());
    int64_t gap = phases.front() + kSecondUs - phases.back();
    for (size_t i = 1; i < phases.size(); ++i) gap = std::max(gap, phases[i] - phases[i - 1]);
    answersAtOnce_ = delayHi < kQuickUs && kSecondUs - gap >= kSpreadUs;
}

// How far apart replies a few seconds apart bound the offset from above,
// drift between them allowed for, up to what still counts as one cluster.
int64_t OffsetEstimator::UpperSpread(const Stamp& now, const ClockReading* more) const {
    std::vector<const ClockReading*> all;
    for (const ClockReading& r : kept_) all.push_back(&r);
    if (more) all.push_back(more);
    int64_t spread = 0;
    for (const ClockReading* a : all)
        for (const ClockReading* b : all) {
            const int64_t apart = b->at.counter - a->at.counter;
            if (apart <= 0 || apart > 10 * kSecondUs) continue;
            const int64_t up = Abs(Bounds(*a, now, Model::SecondStart).hi - Bounds(*b, now, Model::SecondStart).hi);
            // Further apart: a wrong reply, or one the kept readings refuse.
            if (up <= kClusterUs) spread = std::max(spread, up + DriftUs(apart) + 2 * pairErrorUs_);
        }
    return spread;
}

int64_t OffsetEstimator::BoundaryAhead(const Stamp& now) const {
    const OffsetInterval newest = Bounds(kept_.back(), now, Model::SecondStart),
                         fresh = Bounds(kept_.back(), kept_.back().at, Model::SecondStart);
    const int64_t widened = (newest.hi - newest.lo) - (fresh.hi - fresh.lo);
    return newest.hi - widened - 2 * lagGuessUs_;
}

bool OffsetEstimator::TopShared(const Stamp& now) const {
    std::vector<int64_t> tops;
    for (const ClockReading& r : kept_) tops.push_back(Bounds(r, now, Model::SecondStart).hi);
    std::sort(tops.begin(), tops.end());
    return tops.size() >= 2 && tops[1] - tops[0] <= kClusterUs;
}

int64_t OffsetEstimator::ReplyWithinUs(const Stamp& now, int64_t sentAt) const {
    if (!waitsForSecond_) return kSecondUs;
    const int64_t start = Robust(Kept(now, Model::SecondStart)).hi;
    return AtPhase(sentAt, INT64_MAX, start) - sentAt + lagGuessUs_;
}

OffsetEstimator::Estimate OffsetEstimator::At(const Stamp& now) const {
    Estimate e;
    if (kept_.empty()) return e;
    e.known = kept_.size() >= 2;
    e.truth = Robust(Kept(now, Stated()));
    // The likeliest point, trusting every reply: each reply's bytes came
    // soon after it was composed, as they do on a prompt line. Until the
    // replies show a clock that answers at once, a wide interval is most
    // likely that of one that composes at the start of a second (it waits
    // for it, or answers only then), just below the upper bound, unless the
    // replies show one that composes at any moment and none of them shows
    // the start of a second at the top.
    std::vector<OffsetInterval> guessed = Kept(now, Model::Promptly);
    guessed.push_back(e.truth);
    const OffsetInterval prompt = Intersection(guessed);
    if (prompt.lo > prompt.hi) e.point = e.truth.Middle();
    else if (waitsForSecond_ || answersAtOnce_ || prompt.Width() < kGuessedUs || (composesAnyTime_ && !TopShared(now)))
        e.point = prompt.Middle();
    else e.point = std::max(prompt.lo, prompt.hi - lagGuessUs_);
    return e;
}

int64_t OffsetEstimator::NextCommandAt(const Stamp& now, int64_t latest) const {
    if (kept_.empty() || latest < now.pc) return now.pc;
    const OffsetInterval agreed = Robust(Kept(now, Stated()));
    const ClockReading& last = hasSuspect_ ? suspect_ : kept_.back();
    const int64_t moved = Moved(commanded_, now);
    // A clock that waits: the command just before the second starts, where
    // the newest upper bound (always close) puts it, raises the lower bound
    // to it; drift since may have moved the start either way.
    if (waitsForSecond_) return AtPhase(now.pc, latest, std::max(agreed.lo, BoundaryAhead(now)));
    // Not known yet: commands spread over the second show which clock it is.
    // One that composes at any moment is probed as one that answers at once.
    if (!answersAtOnce_ && !composesAnyTime_ && agreed.Width() >= kAmbiguousUs) return AtPhase(now.pc, latest, commanded_.pc + moved + kSpreadStepUs);
    // A clock that composes soon after the command: composing at the middle
    // tells on which side of it the second turned.
    // Every other probe splits what all replies allow: the faster way, unless
    // one wrong reply narrowed that to the wrong place.
    const int64_t lead = std::min<int64_t>((last.latest - last.earliest) / 2, kSecondUs / 2);
    const OffsetInterval all = Intersection(Kept(now, Stated()));
    const OffsetInterval split = kept_.size() % 2 && Meet(all, agreed) ? all : agreed;
    return AtPhase(now.pc, latest, split.Middle() - lead);
}
