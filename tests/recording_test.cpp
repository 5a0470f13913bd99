// Recording games as they are played: the view's shape travels with the
// steps, so a window resized mid-game replays exactly; every game the player
// starts ends the recording before it with its score and begins its own; the
// checkpoints and fingerprints sum the world as it stands after their step;
// and a checkpoint names whatever part of the world went different.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>

#include "sim/gamestart.h"
#include "tests/recordedgame.h"
#include "tests/scratchdir.h"
#include "tests/testworld.h"
#include "world/savefile.h"
#include "world/world.h"

namespace {

struct Recording : ::testing::Test {
    void SetUp() override { enterScratchDir(scratch, "recording"); }
    void TearDown() override
    {
        endRecording(0);
        leaveScratchDir(scratch);
    }
    ScratchDir scratch;
};

// Walking and firing to the right, the pointer held at one window pixel,
// in a window of 800 x 600 until step 70 and of 1280 x 720 after it.
StepInput resizedInput(uint32_t s)
{
    StepInput in = stillInput();
    in.moveAcross = s < 40 ? kAxisFull : 0;
    in.pointerX = 700;
    in.pointerY = 100;
    in.gun = s % 30 < 10;
    if (s >= 70) {
        in.viewWidth = 1280;
        in.viewHeight = 720;
        in.viewAspect = 1280.0f / 720.0f;
    }
    return in;
}

// What the recording says after its steps: the report of --info.
std::string infoOfLastGame()
{
    std::string text;
    reportOn(readFile("lastgame.rec"), false, text, "lastgame.rec");
    return text;
}

}  // namespace

// The aim follows the window the step was played in, and a window resized
// mid-game is written as a change, so the game replays to its end; the same
// bytes in the older format, which had no such change, are refused.
TEST_F(Recording, AWindowResizedMidGameIsRecordedAndReplaysExactly)
{
    seedRandom(5);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    playRecordedSteps(69, resizedInput);
    EXPECT_EQ(aimScreenX[0], 700.0f / 800.0f * 2.0f - 1.0f);
    float cameraBefore = cameraX, zoomBefore = cameraZoom;
    playRecordedSteps(1, [](uint32_t) { return resizedInput(70); });
    EXPECT_EQ(aimScreenX[0], 700.0f / 1280.0f * 2.0f - 1.0f);
    EXPECT_EQ(aimScreenY[0], 100.0f / 720.0f * 2.0f - 1.0f);
    EXPECT_EQ(aimWorldX[0], cameraBefore + 1280.0f / 720.0f * zoomBefore * aimScreenX[0] * 0.5f)
        << "the wide view's aspect reaches the aim";
    playRecordedSteps(100, [](uint32_t s) { return resizedInput(s + 70); });
    endRecording(killCount);
    Bytes file = readFile("lastgame.rec");
    std::string text;
    EXPECT_EQ(reportOn(file, true, text), kReplayMatched) << text;
    EXPECT_EQ(stepInput.viewWidth, 1280.0f);
    EXPECT_EQ(stepInput.viewAspect, 1280.0f / 720.0f);
    EXPECT_EQ(reportOn(file, false, text), kReplayMatched);
    EXPECT_NE(text.find("format: 3\n"), std::string::npos) << text;
    EXPECT_NE(text.find("window: 800 x 600 (aspect 1.3333)\n"), std::string::npos) << text;
    EXPECT_NE(text.find("steps: 170\n"), std::string::npos) << text;
    Bytes older = file;
    older.erase(older.begin() + kFirstHeaderBytes, older.begin() + kRecordingHeaderBytes);  // no best score
    older[8] = 1;
    refreshCrc(older);
    EXPECT_EQ(reportOn(older, true, text), kReplayUnreadable);
    EXPECT_NE(text.find("bad step flags"), std::string::npos) << text;
}

// The header keeps the best score as the game began, which --info prints
// and a replay reads back; the recordings of older formats hold none, and
// --info says nothing of it for them; a best score below 0 is damage.
TEST_F(Recording, TheBestScoreAsTheGameBeganTravelsInTheHeader)
{
    bestKillCount = 23;
    seedRandom(5);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    bestKillCount = 30;
    playRecordedSteps(61, [](uint32_t) { return stillInput(); });
    endRecording(killCount);
    Bytes file = readFile("lastgame.rec");
    std::string text;
    EXPECT_EQ(reportOn(file, true, text), kReplayMatched) << text;
    EXPECT_EQ(recordingHeader.format, kRecordingFormat);
    EXPECT_EQ(recordingHeader.bestScore, 23);
    EXPECT_EQ(file[kFirstHeaderBytes], 23) << "little-endian, right after the older header";
    std::string info = infoOfLastGame();
    EXPECT_EQ(info.substr(info.rfind('\n') + 1), "best score when played: 23");
    for (const char* old : {"walk.rec", "menu-loaded.rec"}) {
        EXPECT_EQ(reportOn(checkedInRecording(old), true, text), kReplayMatched) << old << ": " << text;
        EXPECT_EQ(recordingHeader.bestScore, kNoBestScore) << old;
        EXPECT_EQ(reportOn(checkedInRecording(old), false, text), kReplayMatched);
        EXPECT_EQ(text.find("best score"), std::string::npos) << text;
    }
    Bytes negative = file;
    negative[kFirstHeaderBytes + 3] = 0x80;
    refreshCrc(negative);
    EXPECT_EQ(reportOn(negative, true, text), kReplayUnreadable);
    EXPECT_EQ(text, "game.rec: damaged at byte 68: best score out of range");
    Bytes cut(file.begin(), file.begin() + kFirstHeaderBytes + 2);
    EXPECT_EQ(reportOn(cut, true, text), kReplayUnreadable);
    EXPECT_EQ(text, "game.rec: truncated at byte 66");
}

// A view no window could have is refused where it is written.
TEST_F(Recording, AnImpossibleWindowInTheStepsIsRefused)
{
    seedRandom(5);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    playRecordedSteps(3, [](uint32_t s) {
        StepInput in = stillInput();
        in.viewHeight = s == 2 ? 0.0f : 600.0f;
        return in;
    });
    endRecording(0);
    std::string text;
    EXPECT_EQ(reportOn(readFile("lastgame.rec"), true, text), kReplayUnreadable);
    EXPECT_EQ(text, "game.rec: damaged at byte 94: window size out of range");
}

// A new game and a load each end the game recorded until then, with the
// score it had and its own steps, and begin the next recording; a save that
// does not load changes neither the world nor the recording.
TEST_F(Recording, EveryGameStartedEndsTheRecordingBeforeItWithItsScore)
{
    seedRandom(21);
    beginGame(kStartNewCity, 0, 1000, 800, 600, kTestAspect);
    playRecordedSteps(30, [](uint32_t) { return stillInput(); });
    EXPECT_TRUE(filesHere().count("lastgame.rec") == 0) << "a game in progress has no recording yet";
    ASSERT_TRUE(saveGame());
    int32_t size = readSave();
    ASSERT_GT(size, 0);
    killCount = 9;
    ASSERT_TRUE(beginGame(kStartLoadedGame, size, 2000, 800, 600, kTestAspect));
    std::string first = infoOfLastGame();
    EXPECT_NE(first.find("start: a new city (seed 21, 0 rand draws before)\n"), std::string::npos) << first;
    EXPECT_NE(first.find("steps: 30\nscore: 9"), std::string::npos) << first;
    EXPECT_EQ(killCount, 0) << "the loaded game's own count";
    playRecordedSteps(20, [](uint32_t) { return stillInput(); });
    Checkpoint before = takeCheckpoint(0);
    saveBytes[0] = 0;
    EXPECT_FALSE(beginGame(kStartLoadedGame, size, 3000, 800, 600, kTestAspect));
    char what[128];
    EXPECT_FALSE(describeDivergence(before, takeCheckpoint(0), what, sizeof what)) << what;
    EXPECT_TRUE(recordingActive);
    EXPECT_EQ(infoOfLastGame(), first) << "the refused load ended nothing";
    beginGame(kStartNewCity, 0, 4000, 800, 600, kTestAspect);
    std::string second = infoOfLastGame();
    EXPECT_NE(second.find("start: a loaded game (" + std::to_string(size) + " bytes of save"), std::string::npos)
        << second;
    EXPECT_NE(second.find("steps: 20\nscore: 0"), std::string::npos) << second;
    std::string text;
    EXPECT_EQ(reportOn(readFile("lastgame.rec"), true, text), kReplayMatched) << text;
    EXPECT_EQ(text.substr(0, 20), "ok: 20 steps, score ");
}

// Each step's fingerprint and every checkpoint are of the world after that
// step, and the end holds the world as it ended, its step count and score.
TEST_F(Recording, CheckpointsAndFingerprintsSumTheWorldAfterTheirStep)
{
    seedRandom(33);
    beginGame(kStartNewCity, 0, 0, 800, 600, kTestAspect);
    std::vector<uint8_t> fingerprints;
    Checkpoint atSixty = {};
    for (uint32_t s = 0; s < 2 * kCheckpointSteps + 7; s++) {
        playRecordedSteps(1, [s](uint32_t) { return resizedInput(s % 60); });
        fingerprints.push_back(stepFingerprint());
        if (s + 1 == kCheckpointSteps)
            atSixty = takeCheckpoint(kCheckpointSteps);
    }
    Checkpoint last = takeCheckpoint(recordedSteps);
    endRecording(6);
    Bytes file = readFile("lastgame.rec");
    FILE* f = fmemopen(file.data(), file.size(), "rb");
    ASSERT_TRUE(openRecording(f, "game.rec")) << recordingError;
    char what[128] = "";
    for (uint32_t s = 0; s < fingerprints.size(); s++) {
        ASSERT_EQ(readRecordedStep(), 1) << recordingError;
        uint8_t fingerprint = 0;
        Checkpoint expected = {};
        ASSERT_TRUE(readStepResult(fingerprint, expected)) << recordingError;
        EXPECT_EQ(fingerprint, fingerprints[s]) << "step " << s + 1;
        if (s + 1 == kCheckpointSteps) {
            EXPECT_EQ(expected.step, (uint32_t)kCheckpointSteps);
            EXPECT_FALSE(describeDivergence(atSixty, expected, what, sizeof what)) << what;
        }
    }
    EXPECT_EQ(readRecordedStep(), 0);
    Checkpoint end = {};
    uint32_t steps = 0;
    int32_t score = 0;
    ASSERT_TRUE(readRecordingEnd(end, steps, score)) << recordingError;
    fclose(f);
    EXPECT_EQ(steps, 2u * kCheckpointSteps + 7);
    EXPECT_EQ(score, 6);
    EXPECT_EQ(end.step, steps);
    EXPECT_FALSE(describeDivergence(last, end, what, sizeof what)) << what;
    EXPECT_EQ(checkpointSum(end), checkpointSum(last));
}

// A checkpoint notices a change in any part of the world a game can differ
// in, a live explosion's strength and a single coordinate included, and names
// the first part that differs.
TEST(Checkpoints, ACheckpointNamesWhicheverPartOfTheWorldWentDifferent)
{
    struct Change {
        const char* named;
        std::function<void()> apply;
    };
    const Change changes[] = {
        {"rand draws", [] { drawRandom(); }},
        {"actor count 3 != 2", [] { actorCount = 2; }},
        {"kills 0 != 1", [] { killCount = 1; }},
        {"player 0 x 128.5000 != 128.5100", [] { actors[0].x = 128.51f; }},
        {"player 0 y 128.5000 != 128.4900", [] { actors[0].y = 128.49f; }},
        {"actors checksum", [] { actors[1].bleedTimer = 3; }},
        {"actors checksum", [] { actors[2].thinkSlot = -1; }},
        {"shots checksum", [] { explosions[0].strength = 0.5f; }},
        {"shots checksum", [] { projectiles[0].fuse = 9; }},
        {"shots checksum", [] { decals[0].angle = 1; }},
        {"shots checksum", [] { tracers[0].endY = 1; }},
        {"players checksum", [] { energy[1] = 50; }},
        {"players checksum", [] { thinkTick = 4; }},
        {"players checksum", [] { cameraZoom = 7.0f; }},
        {"map checksum", [] { wallBoxes[3][4][0].height = 0.5f; }},
        {"map checksum", [] { tileKind[200][7] = 9; }},
    };
    for (const Change& c : changes) {
        openWorldWith({{kActorPlayer, 128.5f, 128.5f}, {kActorZombie, 130, 130}, {kActorCivilian, 132, 132}});
        playerCount = 2;
        putWallBox(3, 4, 3.1f, 4.1f, 0.3f, 0.3f);
        explosions[explosionCount++] = Explosion{130, 130, 0, 1};
        projectiles[projectileCount++] = Projectile{0, 129, 129, 0, 0, 0, 10};
        addDecal(kDecalBlood, 131, 131, 0);
        tracers[tracerCount++] = Tracer{0, 128, 128, 130, 128};
        Checkpoint before = takeCheckpoint(60);
        c.apply();
        char what[128] = "";
        EXPECT_TRUE(describeDivergence(before, takeCheckpoint(60), what, sizeof what)) << c.named;
        EXPECT_EQ(std::string(what).substr(0, strlen(c.named)), c.named) << what;
    }
}
