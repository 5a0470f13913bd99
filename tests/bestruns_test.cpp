// The best runs in runs/: which runs enter and in what order, the run of the
// day beside them, the index lost or damaged and rebuilt from the recordings,
// damaged and foreign recordings listed as such and removed, and a full disk
// or an index that cannot be written losing nothing. The runs are one small
// recorded game with its score and date altered (and its CRC made to match).
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <zlib.h>

#include <cstdio>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

#include "sim/bestruns.h"
#include "tests/scratchdir.h"

namespace {

typedef std::vector<unsigned char> Bytes;

const int kDateAt = 16;                 // where a recording's header keeps its date
const int kSeedAt = 44;                 // and the seed
const int64_t kBaseDate = 1767225600;   // the recorded game's date, 2026-01-01 00:00 UTC
const int64_t kDay = 86400;
const uint32_t kSteps = 229;            // steps of the recorded game

Bytes readFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeFile(const std::string& path, const Bytes& b)
{
    std::ofstream(path, std::ios::binary).write((const char*)b.data(), (std::streamsize)b.size());
}

void putU32(Bytes& b, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; i++)
        b[at + i] = (unsigned char)(v >> (8 * i));
}

// The recorded game ending with `score`, begun `later` seconds after the
// original; as a city of the day, its seed is that day's.
Bytes runWith(int32_t score, int64_t later = 0, bool ofTheDay = false)
{
    Bytes b = readFile(VG_SOURCE_DIR "/tests/recordings/wide.rec");
    putU32(b, kDateAt, (uint32_t)(kBaseDate + later));
    putU32(b, kDateAt + 4, (uint32_t)((kBaseDate + later) >> 32));
    if (ofTheDay)
        putU32(b, kSeedAt, daySeed(utcDay(kBaseDate + later)));
    putU32(b, b.size() - 8, (uint32_t)score);
    putU32(b, b.size() - 4, (uint32_t)crc32(0, b.data(), (uInt)(b.size() - 4)));
    return b;
}

// Ends a game as the game does: the recording takes the name lastgame.rec
// by a rename, then it is offered to the list.
bool offer(const Bytes& recording)
{
    writeFile("lastgame.rec.tmp", recording);
    rename("lastgame.rec.tmp", "lastgame.rec");
    size_t at = recording.size() - 8;   // the score in the trailer
    int32_t score = (int32_t)(recording[at] | recording[at + 1] << 8 | recording[at + 2] << 16 | recording[at + 3] << 24);
    return offerRun("lastgame.rec", kSteps, score);
}

std::vector<int32_t> scores()
{
    std::vector<int32_t> s;
    for (int i = 0; i < bestRunCount; i++)
        s.push_back(bestRuns[i].score);
    return s;
}

std::set<std::string> filesInRuns()
{
    std::set<std::string> names;
    EXPECT_EQ(chdir("runs"), 0);
    names = filesHere();
    EXPECT_EQ(chdir(".."), 0);
    return names;
}

std::string pathOf(const RunEntry& run)
{
    char path[kRunPathLength];
    runRecordingPath(run, path, sizeof path);
    return path;
}

struct BestRuns : ::testing::Test {
    void SetUp() override
    {
        enterScratchDir(scratch, "bestruns");
        loadBestRuns();
    }
    void TearDown() override { leaveScratchDir(scratch); }
    ScratchDir scratch;
};

// Ten runs fill the list best first, equal scores in the order they were
// played. A run level with the tenth stays out; one that beats it takes its
// place and the tenth's recording goes. The same recording is never kept
// twice. The list reads back the same after a restart.
TEST_F(BestRuns, RunsEnterByScoreTiesKeepTheOlderAndTheTenthMakesWay)
{
    EXPECT_EQ(bestRunCount, 0);
    const int32_t played[10] = {5, 3, 8, 3, 0, 7, 2, 9, 4, 6};
    for (int i = 0; i < 10; i++)
        EXPECT_TRUE(offer(runWith(played[i], i))) << i;
    EXPECT_EQ(scores(), (std::vector<int32_t>{9, 8, 7, 6, 5, 4, 3, 3, 2, 0}));
    EXPECT_EQ(bestRuns[6].date, kBaseDate + 1) << "the older of the two 3s ranks first";
    EXPECT_EQ(bestRuns[7].date, kBaseDate + 3);
    EXPECT_EQ(bestRuns[0].steps, 229u);
    EXPECT_NEAR(bestRuns[0].timeSurvived, 7.46f, 0.01f) << "its steps ran at about twice their length";
    std::string tenth = pathOf(bestRuns[9]);
    EXPECT_FALSE(offer(runWith(0, 20))) << "a tie with the tenth keeps the older";
    EXPECT_TRUE(offer(runWith(1, 21)));
    EXPECT_EQ(scores(), (std::vector<int32_t>{9, 8, 7, 6, 5, 4, 3, 3, 2, 1}));
    EXPECT_NE(access(tenth.c_str(), F_OK), 0) << "the tenth's recording went with it";
    EXPECT_EQ(filesInRuns().size(), 11u) << "ten recordings and the index";
    EXPECT_EQ(readFile(pathOf(bestRuns[9])), runWith(1, 21));
    EXPECT_FALSE(offer(runWith(1, 21))) << "already kept";
    writeFile("lastgame.rec", runWith(99, 22));
    EXPECT_FALSE(offerRun("lastgame.rec", kSteps + 1, 99)) << "not the game that ended";
    EXPECT_FALSE(offerRun("lastgame.rec", kSteps, 98)) << "not the game that ended";
    EXPECT_EQ(scores().size(), 10u);
    std::vector<int32_t> before = scores();
    uint32_t firstNumber = bestRuns[0].number;
    bestRunCount = 0;
    loadBestRuns();
    EXPECT_EQ(scores(), before);
    EXPECT_EQ(bestRuns[0].number, firstNumber);
    EXPECT_FALSE(hasDayRun);
}

// A run played in the city of its day is kept beside the ten: a better one
// of the same day replaces it (a tie does not), any run of a later day does;
// other runs never take its place, and it is kept even when it misses the ten.
TEST_F(BestRuns, TheCityOfTheDayKeepsItsBestRunBesideTheTen)
{
    EXPECT_EQ(utcDay(kBaseDate), 20260101);
    EXPECT_EQ(utcDay(kBaseDate - 1), 20251231);
    EXPECT_NE(daySeed(20260101), daySeed(20260102));
    EXPECT_TRUE(offer(runWith(2, 0, true)));
    ASSERT_TRUE(hasDayRun);
    EXPECT_EQ(dayRun.day, 20260101);
    EXPECT_EQ(bestRunCount, 1) << "it counts among the best as well";
    std::string first = pathOf(dayRun);
    EXPECT_TRUE(offer(runWith(2, 60, true)));
    EXPECT_EQ(dayRun.date, kBaseDate) << "a tie keeps the day's older run";
    EXPECT_TRUE(offer(runWith(4, 120, true)));
    EXPECT_EQ(dayRun.score, 4);
    EXPECT_NE(access(first.c_str(), F_OK), 0);
    EXPECT_TRUE(offer(runWith(9, 180)));
    EXPECT_EQ(dayRun.score, 4) << "not a city of the day";
    for (int i = 0; i < 7; i++)
        offer(runWith(50 + i, 300 + i));
    EXPECT_TRUE(offer(runWith(1, kDay, true))) << "the next day's first run";
    EXPECT_EQ(dayRun.day, 20260102);
    EXPECT_EQ(dayRun.score, 1);
    EXPECT_EQ(bestRuns[9].score, 2) << "too low for the ten";
    EXPECT_EQ(readFile(pathOf(dayRun)), runWith(1, kDay, true));
    loadBestRuns();
    EXPECT_EQ(dayRun.score, 1);
}

// Without its index, or with the index damaged in any way, the list is built
// again from the recordings, the same as it was, and the index is written.
TEST_F(BestRuns, ALostOrDamagedIndexIsRebuiltFromTheRecordings)
{
    for (int32_t s : {5, 3, 8, 3})
        offer(runWith(s, s * 10 + bestRunCount));
    offer(runWith(6, 500, true));
    std::vector<int32_t> kept = scores();
    RunEntry third = bestRuns[2];
    Bytes index = readFile("runs/index.dat");
    std::vector<Bytes> damages = {{}, Bytes(index.begin(), index.end() - 1), index, index, index};
    damages[2][30] ^= 0x40;
    damages[3][16] = 11;   // eleven best runs
    damages[4].push_back(0);
    for (size_t d = 0; d <= damages.size(); d++) {
        SCOPED_TRACE(d);
        if (d < damages.size())
            writeFile("runs/index.dat", damages[d]);
        else
            remove("runs/index.dat");
        bestRunCount = 0;
        loadBestRuns();
        EXPECT_EQ(scores(), kept);
        EXPECT_EQ(bestRuns[2].number, third.number);
        EXPECT_EQ(bestRuns[2].date, third.date);
        EXPECT_EQ(bestRuns[2].timeSurvived, third.timeSurvived);
        EXPECT_TRUE(hasDayRun);
        EXPECT_EQ(dayRun.score, 6);
        EXPECT_EQ(readFile("runs/index.dat"), index) << "written again";
    }
}

// Recordings cut short, corrupted, missing or made into a pipe are damaged;
// one that is not a recording, or another game than the list names, is
// foreign. Stray files are left alone. Each can be removed with its file.
TEST_F(BestRuns, DamagedAndForeignRecordingsAreListedAsSuchAndCanBeRemoved)
{
    for (int i = 0; i < 7; i++)
        offer(runWith(10 - i, i));
    writeFile("runs/notes.txt", {'h', 'i'});
    writeFile("runs/run-1.rec", runWith(40));
    writeFile("runs/run-000000.rec", runWith(41));
    Bytes cut = readFile(pathOf(bestRuns[1]));
    cut.resize(cut.size() / 2);
    writeFile(pathOf(bestRuns[1]), cut);
    Bytes flipped = readFile(pathOf(bestRuns[2]));
    flipped[flipped.size() / 2] ^= 1;
    writeFile(pathOf(bestRuns[2]), flipped);
    remove(pathOf(bestRuns[3]).c_str());
    remove(pathOf(bestRuns[4]).c_str());
    ASSERT_EQ(mkfifo(pathOf(bestRuns[4]).c_str(), 0644), 0);
    writeFile(pathOf(bestRuns[5]), {'P', 'N', 'G', 0, 1, 2, 3, 4, 5, 6, 7, 8, 9});
    writeFile(pathOf(bestRuns[6]), runWith(4, 99));   // the same score and length, another game
    checkBestRuns();
    const int expected[7] = {kRunSound, kRunDamaged, kRunDamaged, kRunDamaged, kRunDamaged, kRunForeign, kRunForeign};
    for (int i = 0; i < 7; i++)
        EXPECT_EQ(bestRuns[i].status, expected[i]) << i;
    std::string gone = pathOf(bestRuns[2]);
    EXPECT_TRUE(removeRun(kRunBest, 2));
    EXPECT_EQ(scores(), (std::vector<int32_t>{10, 9, 7, 6, 5, 4}));
    EXPECT_NE(access(gone.c_str(), F_OK), 0);
    EXPECT_FALSE(removeRun(kRunBest, 6));
    EXPECT_FALSE(removeRun(kRunOfTheDay, 0));
    remove("runs/index.dat");
    loadBestRuns();
    EXPECT_EQ(scores(), (std::vector<int32_t>{10, 4, -1, -1, -1}))
        << "rebuilt: the other game counts as itself, unreadable ones last, stray names not at all";
    EXPECT_EQ(bestRuns[1].date, kBaseDate + 99) << "the other game";
    std::set<std::string> left = filesInRuns();
    EXPECT_EQ(left.count("notes.txt") + left.count("run-1.rec") + left.count("run-000000.rec"), 3u);
}

// When the disk is full, or the index cannot be replaced, a better run is not
// kept and nothing else changes: the list, the index and the recordings stay
// as they were, and nothing is left behind. A removal fails the same way.
TEST_F(BestRuns, AFullDiskOrAnUnwritableIndexKeepsTheOlderListWhole)
{
    for (int i = 0; i < 10; i++)
        offer(runWith(i, i));
    Bytes index = readFile("runs/index.dat");
    std::set<std::string> files = filesInRuns();
    std::vector<int32_t> kept = scores();
    auto offerAndRemove = [] {
        EXPECT_FALSE(offer(runWith(100, 50)));
        EXPECT_FALSE(removeRun(kRunBest, 0));
    };
    for (int fault = 0; fault < 2; fault++) {
        SCOPED_TRACE(fault ? "the index's temporary name is taken by a directory" : "a full disk");
        if (fault) {
            mkdir("runs/index.dat.tmp", 0755);
            offerAndRemove();
            rmdir("runs/index.dat.tmp");
        } else
            onAFullDisk(offerAndRemove);
        EXPECT_EQ(scores(), kept);
        EXPECT_EQ(readFile("runs/index.dat"), index);
        EXPECT_EQ(filesInRuns(), files);
        loadBestRuns();
        EXPECT_EQ(scores(), kept);
    }
    EXPECT_TRUE(offer(runWith(100, 50)));
    EXPECT_EQ(bestRuns[0].score, 100);
}

}  // namespace
