#pragma once
// Scenes: the scene frames the frame loop dispatches to, and the one state
// they need beyond the Game records: the PlayState of the game in progress,
// which lasts for the whole run (the end of each game returns it to its
// start values).
//
// It can also record every game as it is played, or play a recorded game in
// place of the player (see Replays.h).
//
// It must outlive the SceneFrames it hands out: they call back into it.

#include <functional>
#include <memory>
#include <string_view>

#include "app/FrameLoop.h"

struct PlayState;
struct Replay;
class FrameCalendar;
class ReplayRecorder;
class ReplayPlayback;

namespace platform {
class Calendar;
}

class Scenes {
public:
    explicit Scenes(platform::Calendar& calendar);
    ~Scenes();
    Scenes(const Scenes&) = delete;
    Scenes& operator=(const Scenes&) = delete;

    // Records each game from the title's hand-over to the frame it ends, and
    // hands every finished one to `finished` on that frame, after its score
    // has entered the ranking.
    void RecordGames(std::string_view version,
                     std::function<void(Game&, const Replay&)> finished);
    // Plays `replay` instead of the title and the player: its first frame
    // starts the game, and `ended` is called once, on the frame the title
    // returns (a game that ended as recorded plays its game-over sequence to
    // the end) or its frames run out. The replay must outlive this object.
    void Watch(const Replay& replay, std::function<void(Game&)> ended);
    // The watched game so far (Watch only).
    const ReplayPlayback* playback() const { return playback_.get(); }

    // The frames for RunGame: `title` runs the title-scene frame, `play` the
    // play-scene frame with this object's PlayState and calendar.
    SceneFrames Frames();

    PlayState& playState() { return *play_; }

private:
    void PlayFrame(Game& game);
    void WatchFrame(Game& game);

    platform::Calendar& calendar_;
    std::unique_ptr<PlayState> play_;
    std::unique_ptr<FrameCalendar> frameCalendar_;
    std::unique_ptr<ReplayRecorder> recorder_;
    std::function<void(Game&, const Replay&)> finished_;
    std::unique_ptr<ReplayPlayback> playback_;
    std::function<void(Game&)> ended_;
    bool watching_ = false;
    bool playedThrough_ = false;  // the recorded frames have all run
    bool over_ = false;
};
