#include <gtest/gtest.h>

#include <climits>
#include <cstdint>
#include <utility>
#include <vector>

#include "timeline/timeline.h"

namespace {

// Records every call, in one log shared by all effects of a test.
struct Call {
    int effect;
    int elapsed;
    int start;
};

class RecordingEffect : public Effect {
public:
    RecordingEffect(int id, std::vector<Call>* log, int initResult = 1)
        : id_(id), log_(log), initResult_(initResult) {}
    int render(int elapsedMs, int startMs) override {
        log_->push_back({id_, elapsedMs, startMs});
        return 0;  // ignored by the timeline
    }
    int init() override {
        inits++;
        return initResult_;
    }
    int inits = 0;

private:
    int id_;
    std::vector<Call>* log_;
    int initResult_;
};

TEST(Effect, BaseOperationsSucceedAndDoNothing) {
    Effect e;
    EXPECT_EQ(1, e.render(123, 0));
    EXPECT_EQ(1, e.init());
}

TEST(Timeline, WindowIsHalfOpen) {
    std::vector<Call> log;
    RecordingEffect e(0, &log);
    Timeline t;
    ASSERT_EQ(1, t.add(&e, 100, 200));
    t.startTime = 1000;
    for (int elapsed : {99, 100, 150, 199, 200, 201}) t.runFrame(1000 + elapsed);
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(100, log[0].elapsed);
    EXPECT_EQ(199, log[2].elapsed);
    EXPECT_EQ(100, log[0].start);  // the entry's start, not time within it
}

TEST(Timeline, EmptyWindowIsNeverDue) {
    std::vector<Call> log;
    RecordingEffect e(0, &log);
    Timeline t;
    t.add(&e, 50, 50);
    t.startTime = 0;
    for (int now = 0; now < 100; ++now) EXPECT_EQ(1, t.runFrame(now));
    EXPECT_TRUE(log.empty());
}

TEST(Timeline, ClockBeforeStartGivesNegativeElapsed) {
    std::vector<Call> log;
    RecordingEffect zero(0, &log), early(1, &log);
    Timeline t;
    t.add(&zero, 0, 500000);
    t.add(&early, -10, 0);
    t.startTime = 5000;
    t.runFrame(4995);
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(1, log[0].effect);
    EXPECT_EQ(-5, log[0].elapsed);
}

TEST(Timeline, ElapsedCountsOnAcrossClockWrap) {
    std::vector<Call> log;
    RecordingEffect e(0, &log);
    Timeline t;
    t.add(&e, 0, 500000);
    t.startTime = static_cast<int>(UINT32_C(0xFFFFFF00));
    t.runFrame(static_cast<int>(UINT32_C(0xFFFFFFFF)));
    t.runFrame(0);
    t.runFrame(0x100);
    ASSERT_EQ(3u, log.size());
    EXPECT_EQ(0xFF, log[0].elapsed);
    EXPECT_EQ(0x100, log[1].elapsed);
    EXPECT_EQ(0x200, log[2].elapsed);
}

TEST(Timeline, ElapsedWrapsAtTheSignedLimits) {
    std::vector<Call> log;
    RecordingEffect e(0, &log);
    Timeline t;
    t.add(&e, INT_MIN, INT_MAX);
    t.startTime = INT_MIN;
    t.runFrame(INT_MAX);  // 2^32 - 1 later reads as -1
    ASSERT_EQ(1u, log.size());
    EXPECT_EQ(-1, log[0].elapsed);
}

TEST(Timeline, OverlappingEntriesRenderInOrderOfAdding) {
    std::vector<Call> log;
    RecordingEffect a(0, &log), b(1, &log), c(2, &log);
    Timeline t;
    t.add(&a, 0, 100);
    t.add(&b, 50, 150);
    t.add(&c, 0, 10);
    t.startTime = 0;
    t.runFrame(60);
    ASSERT_EQ(2u, log.size());
    EXPECT_EQ(0, log[0].effect);
    EXPECT_EQ(1, log[1].effect);
}

TEST(Timeline, CapacityIsOneHundred) {
    std::vector<Call> log;
    std::vector<RecordingEffect> effects;
    effects.reserve(101);
    for (int i = 0; i < 101; ++i) effects.emplace_back(i, &log);
    Timeline t;
    for (int i = 0; i < 100; ++i) ASSERT_EQ(1, t.add(&effects[i], 0, 10));
    EXPECT_EQ(0, t.add(&effects[100], 0, 10));
    EXPECT_EQ(100, t.entryCount);
    EXPECT_EQ(0, effects[100].inits);
    t.startTime = 0;
    t.runFrame(5);
    EXPECT_EQ(100u, log.size());
    EXPECT_EQ(99, log.back().effect);
}

TEST(Timeline, InitRunsOnceBeforeTheEntryCountsAndFailureKeepsTheEntry) {
    std::vector<Call> log;
    struct CountingInit : RecordingEffect {
        CountingInit(Timeline* t, std::vector<Call>* l) : RecordingEffect(7, l, 0), timeline(t) {}
        int init() override {
            countDuringInit = timeline->entryCount;
            storedDuringInit = timeline->effects[0] == this;
            return RecordingEffect::init();
        }
        Timeline* timeline;
        int countDuringInit = -1;
        bool storedDuringInit = false;
    };
    Timeline t;
    CountingInit e(&t, &log);
    EXPECT_EQ(1, t.add(&e, 0, 100));
    EXPECT_EQ(1, e.inits);
    EXPECT_EQ(0, e.countDuringInit);
    EXPECT_TRUE(e.storedDuringInit);
    t.startTime = 0;
    t.runFrame(1);
    t.runFrame(2);
    EXPECT_EQ(1, e.inits);
    EXPECT_EQ(2u, log.size());
}

TEST(Timeline, SceneWindowCoversTheWholeShow) {
    std::vector<Call> log;
    RecordingEffect e(0, &log);
    Timeline t;
    t.add(&e, 0, 500000);
    t.startTime = 42;
    for (int elapsed : {-1, 0, 147858, 147859, 499999, 500000}) t.runFrame(42 + elapsed);
    ASSERT_EQ(4u, log.size());
    EXPECT_EQ(0, log.front().elapsed);
    EXPECT_EQ(499999, log.back().elapsed);
}

}  // namespace
