// Recorded games: the games in tests/recordings, played for real, must replay
// step for step to every checkpoint they hold, on every build; a changed input
// is caught at the next checkpoint; a broken file is refused with one line
// naming the problem; and a recording reaches the disk whole or not at all.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "app/app.h"
#include "tests/recordedgame.h"
#include "tests/scratchdir.h"
#include "sim/gamestart.h"
#include "world/levelgen.h"
#include "world/world.h"

namespace {

// What a replay went through, beyond its checkpoints.
struct Replayed {
    int result;              // how replayStep ended
    int32_t score;           // the score the file holds
    uint32_t steps;          // steps run
    float slowestSpeed;      // largest speed factor of any step
    float fastestSpeed;      // smallest speed factor of any step
    float leastEnergy;       // player 0's lowest energy
    int mostExplosions;      // most explosions at once
    bool menuKey;            // the menu key went down in some step
    bool walkedDiagonally;   // both walking axes pushed in some step
};

// Replays a recording held in memory to its end, as `vellgrave2-replay
// --check` does, noting what the game went through on the way.
Replayed replay(Bytes bytes, const char* name = "game.rec")
{
    Replayed r = {kReplayDamaged, 0, 0, 0, 10, 100, 0, false, false};
    FILE* f = fmemopen(bytes.data(), bytes.size(), "rb");
    uint32_t steps = 0;
    if (!openRecording(f, name) || !scanRecording(steps, r.score)) {
        fclose(f);
        return r;
    }
    rewind(f);
    if (openRecording(f, name) && startRecordedGame()) {
        do {
            r.result = replayStep(r.score);
            r.slowestSpeed = std::max(r.slowestSpeed, stepInput.speedFactor);
            r.fastestSpeed = std::min(r.fastestSpeed, stepInput.speedFactor);
            r.leastEnergy = std::min(r.leastEnergy, energy[0]);
            r.mostExplosions = std::max(r.mostExplosions, (int)explosionCount);
            r.menuKey = r.menuKey || stepInput.menuKey;
            r.walkedDiagonally = r.walkedDiagonally || (stepInput.moveAcross != 0 && stepInput.moveAlong != 0);
        } while (r.result == kReplayStepped);
    }
    r.steps = replayedSteps;
    fclose(f);
    return r;
}

// Whether the game ended in a death: some player's health ran out.
bool aPlayerDied()
{
    for (int p = 0; p < playerCount && p < actorCount; p++)
        if (actors[p].health <= 0)
            return true;
    return false;
}

Replayed replayRecording(const char* name)
{
    return replay(checkedInRecording(name), name);
}

// Records a game of new city standing still for `steps` steps, the pointer
// to the right of the player, nothing held; returns the file's bytes.
Bytes recordStandingGame(uint32_t steps)
{
    seedRandom(11);
    beginGame(kStartNewCity, 0, 0, 800, 600, 800.0f / 600.0f);
    playRecordedSteps(steps, [](uint32_t) { return stillInput(); });
    endRecording(killCount);
    return readFile("lastgame.rec");
}

struct Recording : ::testing::Test {
    void SetUp() override { enterScratchDir(scratch, "recording"); }
    void TearDown() override { leaveScratchDir(scratch); }
    ScratchDir scratch;
};

}  // namespace

// Each checked-in game replays to its end with every checkpoint matching, and
// reaches the part of the game it was recorded for.
TEST(RecordedGames, WalkingAndSprintingPastEmptyEnergyReplays)
{
    Replayed r = replayRecording("walk.rec");
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_EQ(r.leastEnergy, 0.0f) << "sprinted until the energy ran out";
    EXPECT_TRUE(r.walkedDiagonally);
}

TEST(RecordedGames, GunAndExplosivesAgainstWallsReplay)
{
    Replayed r = replayRecording("fight.rec");
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_GT(r.mostExplosions, 0);
    EXPECT_EQ(r.score, killCount);
}

TEST(RecordedGames, AGameFoughtToADeathReplaysToTheTitle)
{
    Replayed r = replayRecording("death.rec");
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_TRUE(aPlayerDied());
    EXPECT_GT(r.score, 0);
}

TEST(RecordedGames, MenuResumeAndSaveInTheMiddleReplay)
{
    Replayed r = replayRecording("menu.rec");
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_TRUE(r.menuKey);
    Replayed loaded = replayRecording("menu-loaded.rec");
    EXPECT_EQ(loaded.result, kReplayEnded) << recordingError;
    EXPECT_EQ(recordingHeader.start, kStartLoadedGame);
}

TEST(RecordedGames, AFourPlayerGameContinuedFromASaveReplaysToADeath)
{
    Replayed r = replayRecording("party.rec");
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_EQ(playerCount, 4);
    EXPECT_TRUE(aPlayerDied());
}

TEST(RecordedGames, AWideWindowAtAnotherFrameRateReplays)
{
    Replayed r = replayRecording("wide.rec");
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_NE(recordingHeader.viewAspect, 800.0f / 600.0f);
    EXPECT_GT(r.slowestSpeed, 1.2f) << "some steps ran slower than 60 frames per second";
}

// A recorded game replays to its end; one step's input changed is caught as
// a divergence at the first checkpoint after it, not before.
TEST_F(Recording, AChangedInputIsCaughtAtTheNextCheckpoint)
{
    Bytes good = recordStandingGame(3 * kCheckpointSteps);
    Replayed r = replay(good);
    EXPECT_EQ(r.result, kReplayEnded) << recordingError;
    EXPECT_EQ(r.steps, 3u * kCheckpointSteps);
    // The header, the first step (flags, pointer, speed, fingerprint), then
    // two bytes a step and a checkpoint after every 60th: step 70's flags.
    size_t step70 = kRecordingHeaderBytes + 10 + 59 * 2 + kCheckpointBytes + 9 * 2;
    Bytes bad = good;
    bad[step70] |= 0x02;  // the gun held for that one step
    refreshCrc(bad);
    Replayed d = replay(bad);
    EXPECT_EQ(d.result, kReplayDiverged);
    EXPECT_EQ(d.steps, 2u * kCheckpointSteps) << "found at the checkpoint";
    EXPECT_STREQ(recordingError, "diverged at step 70: by step 120, rand draws 41414 != 41410");
}

// Every kind of broken file gets one line naming the problem.
TEST_F(Recording, ABrokenFileIsRefusedWithOneLineNamingTheProblem)
{
    Bytes good = recordStandingGame(2);
    Bytes newer = good, cut = good, flipped = good, longer = good, slow = good;
    newer[8] = 4;
    refreshCrc(newer);
    cut.resize(100);
    flipped[kRecordingHeaderBytes + 9] ^= 0x01;
    longer.push_back(0);
    slow[kRecordingHeaderBytes + 8] = 0x3D;  // the speed factor's high byte: 1.0 becomes 0.0625
    refreshCrc(slow);
    struct Case { const char* what; Bytes bytes; const char* message; };
    const Case cases[] = {
        {"empty", Bytes(), "game.rec: empty file"},
        {"foreign", Bytes(good.begin() + 1, good.end()), "game.rec: not a recorded game"},
        {"newer", newer, "game.rec: format 4 is newer than this replayer reads (3)"},
        {"cut", cut, "game.rec: truncated at byte 100"},
        {"flipped", flipped, "game.rec: damaged: the file's checksum does not match its bytes"},
        {"longer", longer, "game.rec: damaged at byte 137: bytes after the end"},
        {"slow", slow, "game.rec: damaged at byte 77: speed factor out of range"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(replay(c.bytes).result, kReplayDamaged) << c.what;
        EXPECT_STREQ(recordingError, c.message) << c.what;
    }
}

// The step plays exactly what was written: each change of one value alone is
// kept, and a pointer past what 16 bits hold is written, and played, at the
// edge.
TEST_F(Recording, TheStepPlaysEachInputAsItWasWritten)
{
    beginGame(kStartNewCity, 0, 0, 800, 600, 800.0f / 600.0f);
    StepInput in = {kAxisFull, -kAxisFull, 100, 200, true, false, true, false, 1.0f, 800, 600, 800.0f / 600.0f};
    recordStep(in);
    in.pointerY = 201;
    recordStep(in);
    EXPECT_EQ(stepInput.pointerY, 201);
    EXPECT_EQ(stepInput.pointerX, 100);
    in.moveAlong = 5;
    in.speedFactor = 0.96f;
    recordStep(in);
    EXPECT_EQ(stepInput.moveAlong, 5);
    EXPECT_EQ(stepInput.moveAcross, kAxisFull);
    EXPECT_EQ(stepInput.speedFactor, 0.96f);
    EXPECT_TRUE(stepInput.throwing);
    in.pointerX = 40000;
    recordStep(in);
    EXPECT_EQ(stepInput.pointerX, 32767);
    endRecording(0);
}

// The recording takes its name only once it is whole: when the disk refuses
// the bytes, the older recording stays and no temporary file is left.
TEST_F(Recording, AFailedWriteKeepsTheOlderRecording)
{
    Bytes old = recordStandingGame(2);
    onAFullDisk([] { recordStandingGame(3 * kCheckpointSteps); }, 200);
    EXPECT_EQ(readFile("lastgame.rec"), old);
    EXPECT_EQ(filesHere(), std::set<std::string>{"lastgame.rec"});
}

// --check replays each checked-in game and reports its steps, its score and
// the world it ended in; a file whose score the world does not reach, a
// divergence and a damaged file each give their own status and line.
TEST(ReplayProgram, CheckReportsStepsScoreAndTheEndingWorld)
{
    struct Game { const char* name; const char* line; };
    const Game games[] = {
        {"death.rec", "ok: 400 steps, score 3, checksum 18638BC2"},
        {"fight.rec", "ok: 535 steps, score 5, checksum 941D8FC8"},
        {"menu-loaded.rec", "ok: 86 steps, score 0, checksum E2B32B12"},
        {"menu.rec", "ok: 195 steps, score 0, checksum 64A35005"},
        {"party.rec", "ok: 542 steps, score 4, checksum 04D41A34"},
        {"walk.rec", "ok: 594 steps, score 0, checksum 0AA46122"},
        {"wide.rec", "ok: 229 steps, score 1, checksum 14F50B5A"},
    };
    std::string text;
    for (const Game& g : games) {
        EXPECT_EQ(reportOn(checkedInRecording(g.name), true, text, g.name), kReplayMatched) << g.name;
        EXPECT_EQ(text, g.line);
    }
    Bytes scored = checkedInRecording("death.rec");
    scored[scored.size() - 8] = 4;  // the score the end holds
    refreshCrc(scored);
    EXPECT_EQ(reportOn(scored, true, text), kReplayWentDifferent);
    EXPECT_EQ(text, "diverged at step 400: score 4 != 3");
    Bytes moved = checkedInRecording("walk.rec");
    moved[kFirstHeaderBytes + 1] ^= 0x01;  // the first step's pointer, a pixel over: only the facing turns
    refreshCrc(moved);
    EXPECT_EQ(reportOn(moved, true, text), kReplayWentDifferent);
    EXPECT_EQ(text, "diverged at step 60: actors checksum 60A50F9A != 030C341E");
    Bytes cut = checkedInRecording("walk.rec");
    cut.resize(cut.size() - 1);
    EXPECT_EQ(reportOn(cut, true, text), kReplayUnreadable);
    EXPECT_EQ(text, "game.rec: truncated at byte " + std::to_string(cut.size()));
}

// --info gives the header and what the end of the file says, line by line.
TEST(ReplayProgram, InfoGivesTheHeaderTheStepsAndTheScore)
{
    std::string text;
    EXPECT_EQ(reportOn(checkedInRecording("menu-loaded.rec"), false, text), kReplayMatched);
    EXPECT_EQ(text, "format: 1\ngame version: 0.8\ndate: 2026-03-01 18:30:07 UTC\n"
                    "window: 800 x 600 (aspect 1.3333)\nplayers: 1\n"
                    "start: a loaded game (421999 bytes of save, seed 1772389800, 42381 rand draws before)\n"
                    "steps: 86\nscore: 0");
    EXPECT_EQ(reportOn(checkedInRecording("wide.rec"), false, text), kReplayMatched);
    EXPECT_EQ(text, "format: 1\ngame version: 0.8\ndate: 2026-01-01 00:00:00 UTC\n"
                    "window: 1000 x 450 (aspect 2.2222)\nplayers: 1\n"
                    "start: a new city (seed 1767225600, 0 rand draws before)\nsteps: 229\nscore: 1");
    EXPECT_EQ(reportOn(Bytes{'V', 'G'}, false, text), kReplayUnreadable);
    EXPECT_EQ(text, "game.rec: not a recorded game");
}
