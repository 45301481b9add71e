// Makes the replay corpus: games played by the tests' own players through the
// same play frame and recorder the program uses, each written as a replay
// file, with a list of their figures.
//
//   make_corpus OUTPUT_FOLDER
//
// Players: a column player that drops every piece at one column until the
// stack reaches the top; random players (some pausing now and then); and a
// searching player that tries every turn and column of each piece on a copy
// of the game and plays the best, which clears rows, rises through every
// level and makes four-row clears. Everything is seeded: the same build makes
// the same files.

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "app/Game.h"
#include "app/Replays.h"
#include "audio/Audio.h"
#include "graphics/Graphics.h"
#include "input/InputSampler.h"
#include "play/Board.h"
#include "play/GameFlow.h"
#include "play/PieceControl.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "scenes/SceneLinks.h"
#include "world/System.h"
#include "world/WorldState.h"

namespace {

constexpr uint8_t kLeft = InputSampler::kLeft;
constexpr uint8_t kRight = InputSampler::kRight;
constexpr uint8_t kDown = InputSampler::kDown;
constexpr uint8_t kTurn = InputSampler::kDecision << 4;
constexpr uint8_t kPause = InputSampler::kPause << 4;
constexpr uint32_t kFrameCap = 60 * 60 * 40;
constexpr uint32_t kUntilTop = 1000000;

// What a game starts from besides its input.
struct Opening {
    int64_t second = 1796000000;
    int phase = 0;  // frames into the first second
    uint32_t threadId = 0;
    uint32_t processId = 0;
    int32_t utcOffset = 0;
    int8_t daylight = 0;
    std::vector<int32_t> ranking;  // up to ten scores before the game
};

// Everything the play frame changes in the world, to try a move and undo it.
struct Snapshot {
    PlayState play;
    MenuState menu;
    uint8_t fadeLevel;
    int32_t fadeOut, fadeIn, bgmSwitch, bgmSelector;
    SceneState scene;
    RankingTable ranking;
};

class Table {
public:
    explicit Table(const Opening& opening) : opening_(opening), recorder_("corpus") {
        System& system = *game_->system;
        WorldState& world = *game_->world;
        system.sound.soundMode = SoundMode::kNone;
        world.angleTable.Fill();
        Replay start;
        start.threadId = opening.threadId;
        start.processId = opening.processId;
        start.startFade = 255;
        for (size_t i = 0; i < opening.ranking.size() && i < 10; ++i)
            start.rankingBefore[i] = opening.ranking[i];
        ReplayPlayback(start).Start(system, world);
        recorder_.Begin(system, world);
    }

    // One frame with these bits; true while the game goes on.
    bool Step(uint8_t bits) {
        SetCalendar(frame_);
        recorder_.Frame(bits, calendar_.Now());
        Run(bits);
        EnterEndedGame(play, *game_->world, calendar_);
        ++frame_;
        return !(done_ = recorder_.After(play, *game_->world, calendar_));
    }

    // Runs frames on a copy of the game while `controller` gives bits and
    // says to go on; the game is put back after.
    template <typename Controller>
    PlayState Try(Controller controller, int maxFrames) {
        const Snapshot saved = Save();
        uint32_t frame = frame_;
        for (int i = 0; i < maxFrames; ++i) {
            uint8_t bits = 0;
            if (!controller(play, &bits))
                break;
            SetCalendar(frame++);
            Run(bits);
            if (game_->world->sceneState != SceneState::kPlay)
                break;
        }
        PlayState result = play;
        Restore(saved);
        return result;
    }

    bool done() const { return done_; }
    uint32_t frame() const { return frame_; }
    const Replay& replay() const { return recorder_.replay(); }
    PlayState play;

private:
    void SetCalendar(uint32_t frame) {
        calendar_.Set(opening_.second + (frame + opening_.phase) / 60, opening_.utcOffset,
                      opening_.daylight);
    }
    void Run(uint8_t bits) {
        System& system = *game_->system;
        system.inputState.dirBits = bits & 0xF;
        system.inputState.buttonBits = bits >> 4;
        RunPlaySceneFrame(game_->Links(), play, calendar_);
    }
    Snapshot Save() const {
        const WorldState& w = *game_->world;
        return {play,
                w.menuState,
                w.fadeLevel,
                w.fadeOutRequest,
                w.fadeInRequest,
                w.bgmSwitchRequest,
                w.bgmSelector,
                w.sceneState,
                w.rankingTable};
    }
    void Restore(const Snapshot& s) {
        WorldState& w = *game_->world;
        play = s.play;
        w.menuState = s.menu;
        w.fadeLevel = s.fadeLevel;
        w.fadeOutRequest = s.fadeOut;
        w.fadeInRequest = s.fadeIn;
        w.bgmSwitchRequest = s.bgmSwitch;
        w.bgmSelector = s.bgmSelector;
        w.sceneState = s.scene;
        w.rankingTable = s.ranking;
    }

    Opening opening_;
    std::unique_ptr<Game> game_ = std::make_unique<Game>();
    FrameCalendar calendar_;
    ReplayRecorder recorder_;
    uint32_t frame_ = 0;
    bool done_ = false;
};

// Turns to `rotation`, taps sideways to `x`, then soft-drops. Its memory is
// fresh for each piece, so a try and the real move get the same bits.
struct Placer {
    int32_t rotation = 0;
    int32_t x = kStartX;
    int frames = 0;
    uint8_t last = 0;
    bool drop = true;

    uint8_t Bits(const PlayState& play) {
        uint8_t bits = 0;
        ++frames;
        const bool turning = play.rotation != rotation && frames < 16;
        if (turning) {
            if ((last & kTurn) == 0)
                bits = kTurn;
        } else if (play.pieceX != x && frames < 48) {
            const uint8_t side = play.pieceX < x ? kRight : kLeft;
            if ((last & side) == 0)
                bits = side;
        } else if (drop) {
            bits = kDown;
        }
        last = bits;
        return bits;
    }
};

// The board with the resting piece written in, the full rows taken out.
struct Outcome {
    int lines = 0;
    int holes = 0;
    int height = 0;
    int bumps = 0;
    bool wellFilled = false;
};

Outcome Judge(const PlayState& rested) {
    PlayState p = rested;
    const ShapeBox& shape = ShapeTable[p.queue[0] + 1][p.rotation];
    Outcome o;
    for (int i = 0; i < PlayState::kBoxCells; ++i) {
        if (shape[i] == 0)
            continue;
        int32_t& cell = p.board[BoardIndex(p.cellRow[i], p.cellColumn[i])];
        if (cell == 0)
            cell = shape[i];
        if (p.cellColumn[i] == 10)
            o.wellFilled = true;
    }
    std::vector<std::vector<bool>> rows;
    for (int row = 0; row < 28; ++row) {
        std::vector<bool> cells(11, false);
        bool full = true;
        for (int column = 1; column <= 10; ++column) {
            cells[column] = p.board[BoardIndex(row, column)] != 0;
            full = full && cells[column];
        }
        if (full)
            ++o.lines;
        else
            rows.push_back(cells);
    }
    const int kept = static_cast<int>(rows.size());
    int previous = -1;
    for (int column = 1; column <= 10; ++column) {
        int top = kept;
        for (int r = 0; r < kept; ++r) {
            if (rows[r][column]) {
                top = r;
                break;
            }
        }
        const int h = kept - top;
        o.height += h;
        for (int r = top + 1; r < kept; ++r)
            o.holes += rows[r][column] ? 0 : 1;
        if (previous >= 0)
            o.bumps += std::abs(h - previous);
        previous = h;
    }
    return o;
}

double Value(const Outcome& o, bool wantFours) {
    double v = -0.51 * o.height - 3.6 * o.holes - 0.18 * o.bumps;
    if (wantFours) {
        v += o.lines == 4 ? 40.0 : o.lines * (o.height > 60 ? 1.0 : -1.5);
        if (o.wellFilled && o.lines == 0)
            v -= 2.5;
    } else {
        v += 3.0 * o.lines;
    }
    return v;
}

// The searching player's choice for the piece now falling.
Placer Choose(Table& table, bool wantFours) {
    Placer best;
    double bestValue = -1e18;
    for (int32_t rotation = 0; rotation < 4; ++rotation) {
        for (int32_t column = -3; column <= 10; ++column) {
            Placer plan;
            plan.rotation = rotation;
            plan.x = kStartX + (column - 4) * kCellPixels;
            Placer tryIt = plan;
            bool rested = false;
            const PlayState end = table.Try(
                [&](const PlayState& play, uint8_t* bits) {
                    if (play.landed == 1 && tryIt.frames > 0) {
                        rested = true;
                        return false;
                    }
                    *bits = tryIt.Bits(play);
                    return true;
                },
                400);
            if (!rested || end.rotation != rotation || end.pieceX != plan.x)
                continue;
            const double value = Value(Judge(end), wantFours);
            if (value > bestValue) {
                bestValue = value;
                best = plan;
            }
        }
    }
    return best;
}

struct Played {
    std::string name;
    std::string story;
    std::set<int32_t> kinds;
    int fours = 0;
};

// The searching player: plays well until `stopRows` rows, then drops every
// piece in place until the game is over. With `gravityEvery` n, every n-th
// piece, and every piece at the top level, is only turned and shifted
// and then left to fall, so that the game depends on each level's fall speed.
Played Searching(Table& table, uint32_t stopRows, bool wantFours, uint32_t gravityEvery = 0) {
    Played p;
    Placer placer;
    bool newPiece = true;
    uint32_t rows = 0;
    uint32_t topRows = 0;
    uint32_t pieces = 0;
    while (!table.done() && table.frame() < kFrameCap) {
        const PlayState& play = table.play;
        if (std::getenv("CORPUS_TRACE") != nullptr && table.frame() % 3000 == 0)
            std::fprintf(stderr, "frame %u rows %u score %u level %d\n", table.frame(), rows,
                         play.score, play.level + 1);
        if (newPiece && play.started == 1) {
            p.kinds.insert(play.queue[0]);
            // kUntilTop plays well until the top level, and 4 rows more.
            if (play.level < 9)
                topRows = rows;
            const bool goOn =
                stopRows == kUntilTop ? rows < topRows + 4 || play.level < 9 : rows < stopRows;
            placer = goOn ? Choose(table, wantFours) : Placer{};
            if (gravityEvery != 0 && (++pieces % gravityEvery == 0 || play.level == 9))
                placer.drop = false;
            newPiece = false;
        }
        const uint32_t score = play.score;
        table.Step(placer.Bits(table.play));
        if (table.play.score >= score + 20 || table.play.started == 0)
            newPiece = true;
        const uint32_t now = table.play.rowsRemoved;
        if (now == rows + 4)
            ++p.fours;
        if (table.play.started == 1)
            rows = now;
    }
    return p;
}

// Drops every piece at one column, each turned `turns` times.
Played Column(Table& table, int32_t column, int32_t turns) {
    Played p;
    Placer placer;
    placer.x = kStartX + (column - 4) * kCellPixels;
    placer.rotation = turns;
    while (!table.done() && table.frame() < kFrameCap) {
        const uint32_t score = table.play.score;
        p.kinds.insert(table.play.queue[0]);
        table.Step(placer.Bits(table.play));
        if (table.play.score >= score + 20) {
            const int32_t x = placer.x;
            placer = Placer{};
            placer.x = x;
            placer.rotation = turns;
        }
    }
    return p;
}

// Random bits, held for random stretches; pauses every `pauseEvery` frames.
Played Random(Table& table, uint32_t seed, int hold, uint32_t pauseEvery) {
    Played p;
    std::mt19937 random(seed);
    uint8_t bits = 0;
    int left = 0;
    while (!table.done() && table.frame() < kFrameCap) {
        if (left-- <= 0) {
            bits = static_cast<uint8_t>(
                random() & (kLeft | kRight | kDown | kTurn | InputSampler::kCancellation << 4));
            if (random() % 3 == 0)
                bits |= kDown;
            left = static_cast<int>(random() % hold);
        }
        uint8_t now = bits;
        const uint32_t f = table.frame();
        if (pauseEvery != 0 && f % pauseEvery < 90 && f > 0) {
            // Press, hold the pause for a while, press again to close it.
            const uint32_t at = f % pauseEvery;
            now = (at < 3 || (at >= 80 && at < 83)) ? kPause : 0;
        }
        p.kinds.insert(table.play.queue[0]);
        table.Step(now);
    }
    return p;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_corpus OUTPUT_FOLDER\n");
        return 2;
    }
    const std::string folder = std::string(argv[1]) + "/";
    // CORPUS_ONLY=name makes that one game alone, under its usual number.
    const char* only = std::getenv("CORPUS_ONLY");
    std::ofstream figures(folder + "figures.txt", only ? std::ios::app : std::ios::trunc);
    if (only == nullptr)
        figures << "# Each corpus game and what it came to (make_corpus writes this list).\n";
    int number = 0;
    const auto wanted = [&](const std::string& name) {
        ++number;
        return only == nullptr || name == only;
    };
    const auto keep = [&](Table& table, Played played, const std::string& name) {
        char file[96];
        std::snprintf(file, sizeof file, "%02d-%s.replay", number, name.c_str());
        const std::vector<uint8_t> bytes = EncodeReplay(table.replay());
        std::ofstream(folder + file, std::ios::binary)
            .write(reinterpret_cast<const char*>(bytes.data()),
                   static_cast<std::streamsize>(bytes.size()));
        const ReplayResult& r = table.replay().result;
        figures << file << ": score " << r.score << ", rows " << r.rows << ", level "
                << int{r.level} << ", " << r.frames << " frames" << std::endl;
        std::printf(
            "%s: score %u rows %u level %d frames %u place %d kinds %zu fours %d %zu bytes\n", file,
            r.score, r.rows, r.level, r.frames, r.ranking.place, played.kinds.size(), played.fours,
            bytes.size());
        std::fflush(stdout);
        // The corpus must hold only games the checker agrees with.
        Replay read;
        const base::Outcome decoded = DecodeReplay(bytes.data(), bytes.size(), &read);
        if (!table.done() || !decoded || !(read == table.replay())) {
            std::fprintf(stderr, "%s: not written whole: %s\n", file, decoded.reason().c_str());
            std::exit(1);
        }
        const ReplayVerdict verdict = CheckReplay(read);
        if (!verdict.same) {
            std::fprintf(stderr, "%s\n", DescribeVerdict(file, verdict).c_str());
            std::exit(1);
        }
    };

    // Game over at each column, turned every way.
    for (int32_t column = 0; column <= 9; ++column) {
        if (!wanted("column-" + std::to_string(column)))
            continue;
        Opening o;
        o.second += column * 1000;
        o.phase = column * 7;
        o.threadId = 1000 + column;
        o.processId = 40000 + column;
        Table table(o);
        keep(table, Column(table, column, column % 4), "column-" + std::to_string(column));
    }
    // Random players, some pausing; rankings empty, full above and tied.
    for (uint32_t seed = 1; seed <= 10; ++seed) {
        const uint32_t pauses = seed % 2 == 0 ? 240 + seed * 10 : 0;
        const std::string name =
            std::string(pauses ? "random-pauses-" : "random-") + std::to_string(seed);
        if (!wanted(name))
            continue;
        Opening o;
        o.second += 77777 * seed;
        o.phase = static_cast<int>(seed * 5);
        o.threadId = seed * 3;
        o.processId = seed * 11;
        o.utcOffset = static_cast<int32_t>((seed % 5) * 3600) - 7200;
        o.daylight = static_cast<int8_t>(seed % 2);
        if (seed % 3 == 1)
            o.ranking = {900000, 800000, 700000, 600000, 500000,
                         400000, 300000, 200000, 100000, 50000};
        else if (seed % 3 == 2)
            o.ranking = {5000, 200, 200, 200, 20};
        Table table(o);
        keep(table, Random(table, seed, 6 + static_cast<int>(seed) * 4, pauses), name);
    }
    // The searching player: short, middling and long games, some aiming at
    // four-row clears.
    const struct {
        uint32_t stopRows;
        bool fours;
        const char* name;
    } searches[] = {
        {0, false, "search-at-once"},
        {10, false, "search-10-rows"},
        {25, true, "search-fours-25"},
        {45, false, "search-45-rows"},
        {70, true, "search-fours-70"},
        {100, false, "search-100-rows"},
        {kUntilTop, true, "search-fours-all-levels"},
    };
    uint32_t n = 0;
    for (const auto& s : searches) {
        ++n;
        if (!wanted(s.name))
            continue;
        Opening o;
        o.second += 3333333 * n;
        o.phase = static_cast<int>(n * 13 % 60);
        o.threadId = 7 * n;
        o.processId = 12345 + n;
        o.utcOffset = 32400;
        if (n % 2 == 0)
            o.ranking = {30000, 20000, 10000, 5000, 2500, 1200, 600, 300, 150, 75};
        Table table(o);
        keep(table, Searching(table, s.stopRows, s.fours), s.name);
    }
    // More random players, holding longer.
    for (uint32_t seed = 11; seed <= 13; ++seed) {
        const std::string name =
            std::string(seed == 11 ? "random-" : "random-pauses-") + std::to_string(seed);
        if (!wanted(name))
            continue;
        Opening o;
        o.second += 55555 * seed;
        o.threadId = seed;
        o.processId = seed * seed;
        o.utcOffset = -36000;
        Table table(o);
        keep(table, Random(table, seed, 40, seed == 11 ? 0 : 600), name);
    }
    // The searching player letting pieces fall on their own at every level.
    if (wanted("search-gravity-all-levels")) {
        Opening o;
        o.second += 4444444;
        o.phase = 41;
        o.threadId = 77;
        o.processId = 31337;
        o.utcOffset = 3600;
        o.ranking = {300000, 250000, 200000};
        Table table(o);
        keep(table, Searching(table, kUntilTop, false, 25), "search-gravity-all-levels");
    }
    return 0;
}
