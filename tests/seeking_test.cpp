// Seeking in a watched recording: for every recorded game under
// tests/recordings, the world after a seek to a step, forwards or backwards,
// from a snapshot or from the start, is byte for byte the world after playing
// straight to that step, with the generator at the same draw; the game then
// plays on to its end matching every checkpoint. Snapshots thinned under
// pressure stay on their spacing and within the arena, and still restore;
// snapshots built ahead leave the watched world alone and make seeks short.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "sim/recording.h"
#include "sim/recordingfile.h"
#include "sim/replay.h"
#include "sim/runstats.h"
#include "sim/seeking.h"
#include "world/world.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const char* const kRecordings[] = {"death.rec", "fight.rec", "menu-loaded.rec", "menu.rec",
                                   "party.rec", "walk.rec",  "wide.rec"};

Bytes readRecordingFile(const char* name)
{
    std::ifstream in(std::string(VG_SOURCE_DIR "/tests/recordings/") + name, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// A recording played straight through: the generator's position and the
// seconds after every step, and the whole world after the steps asked for.
struct Straight {
    std::vector<uint64_t> draws;
    std::vector<float> seconds;
    std::map<uint32_t, Bytes> saves;
    uint32_t steps;
};

// The steps the recording holds.
uint32_t stepsOf(Bytes& file)
{
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    uint32_t steps = 0;
    int32_t score = 0;
    EXPECT_TRUE(openRecording(f, "steps") && scanRecording(steps, score));
    fclose(f);
    return steps;
}

// Plays the recording straight through, keeping the world after each of the
// given steps.
Straight playStraight(Bytes& file, const std::vector<uint32_t>& keep)
{
    Straight s = {};
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    EXPECT_TRUE(openRecording(f, "straight") && startRecordedGame());
    int32_t score = 0;
    float seconds = 0;
    for (;;) {
        s.draws.push_back(randomDraws);
        s.seconds.push_back(seconds);
        if (std::find(keep.begin(), keep.end(), replayedSteps) != keep.end())
            s.saves[replayedSteps] = Bytes(saveBytes, saveBytes + encodeSave());
        if (replayStep(score) != kReplayStepped)
            break;
        seconds += stepInput.speedFactor / kStepUnitsPerSecond;
    }
    fclose(f);
    s.steps = (uint32_t)s.draws.size() - 1;
    return s;
}

// The watched world stands where straight play stood after `step`.
void expectWorldAt(const Straight& straight, uint32_t step)
{
    SCOPED_TRACE("step " + std::to_string(step));
    ASSERT_EQ(watchStep, step);
    EXPECT_EQ(randomDraws, straight.draws[step]);
    EXPECT_EQ(watchSeconds, straight.seconds[step]);
    ASSERT_EQ(straight.saves.count(step), 1u) << "not kept by the test";
    EXPECT_TRUE(Bytes(saveBytes, saveBytes + encodeSave()) == straight.saves.at(step)) << "the world differs";
}

// The watched game plays on from where it stands to its end, matching every
// checkpoint, and the watching ends.
void playOnToTheEnd(FILE* f)
{
    int result = kReplayStepped;
    while (result == kReplayStepped)
        result = watchNextStep();
    EXPECT_EQ(result, kReplayEnded) << recordingError;
    endWatching();
    fclose(f);
}

TEST(Seeking, EveryRecordedGameSeeksForwardsAndBackwardsToTheWorldOfPlayingStraight)
{
    for (const char* name : kRecordings) {
        SCOPED_TRACE(name);
        Bytes file = readRecordingFile(name);
        const uint32_t steps = stepsOf(file);
        const std::vector<uint32_t> targets = {2 * steps / 3, steps / 3, steps, 50, 2 * steps / 3 + 1, 0, steps / 2};
        Straight straight = playStraight(file, targets);
        ASSERT_EQ(straight.steps, steps);
        FILE* f = fmemopen(file.data(), file.size(), "rb");
        ASSERT_TRUE(beginWatching(f, name));
        EXPECT_EQ(watchSteps, steps);
        EXPECT_EQ(watchTotalSeconds, straight.seconds[steps]);
        snapshotInterval = 25;
        int going = 0;
        while (seekWatchingWithin(targets[0], 40) == kSeekGoing)
            going++;
        EXPECT_EQ(going, (int)(targets[0] - 1) / 40) << "forty steps at a time";
        expectWorldAt(straight, targets[0]);
        for (uint32_t target : targets) {
            ASSERT_TRUE(seekWatching(target)) << recordingError;
            expectWorldAt(straight, target);
        }
        EXPECT_GT(snapshotCount, 0);
        ASSERT_TRUE(seekWatching(steps + 9)) << "past the end is the end";
        expectWorldAt(straight, steps);
        ASSERT_TRUE(seekWatching(steps / 4));
        playOnToTheEnd(f);
    }
}

// Seconds name the step at the last time mark (every 60 steps) they reach;
// anything past the end is the end, anything before the start the start.
TEST(Seeking, SecondsSeekToTheTimeMarkTheyReach)
{
    Bytes file = readRecordingFile("fight.rec");
    Straight straight = playStraight(file, {60, 120, 300, 420, 480});
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    ASSERT_TRUE(beginWatching(f, "fight.rec"));
    EXPECT_EQ(stepAtSeconds(-5), 0u);
    EXPECT_EQ(stepAtSeconds(straight.seconds[120]), 120u);
    EXPECT_EQ(stepAtSeconds(straight.seconds[120] * 0.999f), 60u);
    EXPECT_EQ(stepAtSeconds(straight.seconds[179]), 120u);
    EXPECT_EQ(stepAtSeconds(watchTotalSeconds), watchSteps);
    EXPECT_EQ(stepAtSeconds(1e9f), watchSteps);
    ASSERT_TRUE(seekWatchingSeconds(straight.seconds[300] + 0.001f));
    expectWorldAt(straight, 300);
    ASSERT_TRUE(seekWatchingSeconds(straight.seconds[500]));
    EXPECT_EQ(watchStep, 480u);
    ASSERT_TRUE(seekWatchingSeconds(watchSeconds - 3));
    EXPECT_EQ(watchStep % kCheckpointSteps, 0u);
    EXPECT_LE(watchSeconds, straight.seconds[480] - 3);
    EXPECT_GT(straight.seconds[watchStep + kCheckpointSteps], straight.seconds[480] - 3);
    expectWorldAt(straight, watchStep);
    endWatching();
    fclose(f);
}

// A snapshot after every step overfills the table: they are
// thinned to a wider spacing, kept in order within the arena, and every one
// left still restores (none is dropped on the way back).
TEST(Seeking, ThinnedSnapshotsStayOnTheirSpacingWithinTheArenaAndStillRestore)
{
    Bytes file = readRecordingFile("party.rec");
    std::vector<uint32_t> keep;
    for (uint32_t s = 0; s < stepsOf(file); s += 8)
        keep.push_back(s + 1);
    Straight straight = playStraight(file, keep);
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    ASSERT_TRUE(beginWatching(f, "party.rec"));
    snapshotInterval = 1;
    ASSERT_TRUE(seekWatching(watchSteps));
    EXPECT_GE(snapshotInterval, 2u);
    EXPECT_LE(snapshotCount, kMaxSnapshots);
    int64_t used = 0;
    for (int i = 0; i < snapshotCount; i++) {
        EXPECT_EQ(snapshots[i].step % snapshotInterval, 0u) << i;
        if (i > 0) {
            EXPECT_LT(snapshots[i - 1].step, snapshots[i].step);
        }
        used += snapshots[i].size;
    }
    EXPECT_EQ(used, snapshotArenaUsed);
    EXPECT_LE(snapshotArenaUsed, kSnapshotArenaBytes);
    int32_t kept = snapshotCount;
    for (int i = snapshotCount - 1; i >= 0; i--) {
        if (snapshots[i].step % 8 != 0)
            continue;
        ASSERT_TRUE(seekWatching(snapshots[i].step + 1));
        expectWorldAt(straight, snapshots[i].step + 1);
    }
    EXPECT_EQ(snapshotCount, kept);
    endWatching();
    fclose(f);
}

// Snapshots built ahead in slices leave the watched world as it stood each
// time; once built to the end, a seek anywhere plays fewer steps than the
// spacing from the nearest one (or from the furthest world kept), and lands
// on the world of playing straight, forwards and backwards.
TEST(Seeking, SnapshotsBuiltAheadLeaveTheWatchedWorldAndMakeEverySeekShort)
{
    for (const char* name : {"death.rec", "party.rec", "menu-loaded.rec"}) {
        SCOPED_TRACE(name);
        Bytes file = readRecordingFile(name);
        const uint32_t steps = stepsOf(file);
        const std::vector<uint32_t> targets = {30, steps - 7, steps / 2 + 3, 1, steps, steps / 3};
        std::vector<uint32_t> keep = targets;
        keep.push_back(20);
        Straight straight = playStraight(file, keep);
        FILE* f = fmemopen(file.data(), file.size(), "rb");
        ASSERT_TRUE(beginWatching(f, name));
        snapshotInterval = 40;
        ASSERT_TRUE(seekWatching(20));
        int slices = 0;
        int r = kSeekGoing;
        while (r == kSeekGoing) {
            r = buildAheadWithin(33);
            slices++;
            expectWorldAt(straight, 20);
        }
        EXPECT_EQ(r, kSeekReached) << recordingError;
        EXPECT_EQ(slices, (int)(steps - 20 + 32) / 33);
        EXPECT_EQ(watchBuiltStep, steps);
        ASSERT_TRUE(seekWatching(30));
        expectWorldAt(straight, 30);
        for (uint32_t target : targets) {
            EXPECT_EQ(seekWatchingWithin(target, snapshotInterval), kSeekReached) << "a short seek to " << target;
            expectWorldAt(straight, target);
        }
        EXPECT_EQ(buildAheadWithin(10), kSeekReached) << "nothing left to build";
        playOnToTheEnd(f);
    }
}

// Building ahead goes on from the furthest world kept, not from the start:
// after a seek back, one slice reaches past the furthest step.
TEST(Seeking, BuildingAheadGoesOnFromTheFurthestWorldReached)
{
    Bytes file = readRecordingFile("fight.rec");
    Straight straight = playStraight(file, {150, 10});
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    ASSERT_TRUE(beginWatching(f, "fight.rec"));
    ASSERT_TRUE(seekWatching(150));
    expectWorldAt(straight, 150);
    ASSERT_TRUE(seekWatching(10));
    EXPECT_EQ(watchBuiltStep, 150u);
    EXPECT_EQ(buildAheadWithin(5), kSeekGoing);
    EXPECT_EQ(watchBuiltStep, 155u) << "five steps on from the furthest world";
    expectWorldAt(straight, 10);
    endWatching();
    fclose(f);
}

// A damaged recording is refused before anything is shown, and without a
// recording there is nothing to seek in.
TEST(Seeking, ADamagedRecordingIsNotWatched)
{
    Bytes file = readRecordingFile("walk.rec");
    file[file.size() / 2] ^= 0x20;
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    EXPECT_FALSE(beginWatching(f, "walk.rec"));
    EXPECT_FALSE(seekWatching(10));
    EXPECT_EQ(watchNextStep(), kReplayDamaged);
    fclose(f);
}

}  // namespace
