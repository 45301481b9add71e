#pragma once
// Scenes: the scene frames the frame loop dispatches to, and the one state
// they need beyond the Game records: the PlayState of the game in progress,
// which lasts for the whole run (the end of each game returns it to its
// start values).
//
// It must outlive the SceneFrames it hands out: they call back into it.

#include <memory>

#include "app/FrameLoop.h"

struct PlayState;

namespace platform {
class Calendar;
}

class Scenes {
public:
    explicit Scenes(platform::Calendar& calendar);
    ~Scenes();
    Scenes(const Scenes&) = delete;
    Scenes& operator=(const Scenes&) = delete;

    // The frames for RunGame: `title` runs the title-scene frame, `play` the
    // play-scene frame with this object's PlayState and calendar.
    SceneFrames Frames();

    PlayState& playState() { return *play_; }

private:
    platform::Calendar& calendar_;
    std::unique_ptr<PlayState> play_;
};
