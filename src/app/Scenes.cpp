#include "app/Scenes.h"

#include "app/Game.h"
#include "app/Replays.h"
#include "play/GameFlow.h"
#include "play/PlayState.h"
#include "scenes/PlayScene.h"
#include "scenes/TitleScene.h"
#include "world/System.h"
#include "world/WorldState.h"

Scenes::Scenes(platform::Calendar& calendar)
    : calendar_(calendar),
      play_(std::make_unique<PlayState>()),
      frameCalendar_(std::make_unique<FrameCalendar>(&calendar)) {}

Scenes::~Scenes() = default;

void Scenes::RecordGames(std::string_view version,
                         std::function<void(Game&, const Replay&)> finished) {
    recorder_ = std::make_unique<ReplayRecorder>(version);
    finished_ = std::move(finished);
}

void Scenes::Watch(const Replay& replay, std::function<void(Game&)> ended) {
    playback_ = std::make_unique<ReplayPlayback>(replay);
    ended_ = std::move(ended);
}

SceneFrames Scenes::Frames() {
    SceneFrames frames;
    if (playback_) {
        frames.title = [this](Game& game) { WatchFrame(game); };
        frames.play = [this](Game& game) { WatchFrame(game); };
        return frames;
    }
    frames.title = [](Game& game) { RunTitleSceneFrame(game.Links()); };
    frames.play = [this](Game& game) { PlayFrame(game); };
    return frames;
}

void Scenes::PlayFrame(Game& game) {
    WorldState& world = *game.world;
    if (!recorder_) {
        RunPlaySceneFrame(game.Links(), *play_, calendar_);
        EnterEndedGame(*play_, world, calendar_);
        return;
    }
    // One second for the whole frame, and the frame's input, into the record,
    // from a game's first frame to the frame it ends; the game-over sequence
    // after that is not recorded.
    System& system = *game.system;
    if (!recorder_->recording() && play_->started == 0)
        recorder_->Begin(system, world);
    frameCalendar_->Latch();
    const bool recording = recorder_->recording();
    if (recording) {
        recorder_->Frame(PackBits(system.inputState.dirBits, system.inputState.buttonBits),
                         frameCalendar_->Now());
    }
    RunPlaySceneFrame(game.Links(), *play_, *frameCalendar_);
    // The finished game is kept from the frame it ends: its ranking entry (the
    // frame loop saves Game.ini at this frame's end) and its replay.
    EnterEndedGame(*play_, world, *frameCalendar_);
    if (recording && recorder_->After(*play_, world, *frameCalendar_) && finished_)
        finished_(game, recorder_->replay());
}

void Scenes::WatchFrame(Game& game) {
    // The first frame the loop runs (the title's, at start) starts the game.
    if (!watching_) {
        watching_ = true;
        playback_->Start(*game.system, *game.world);
        // At sixty frames a second, whatever the settings say.
        Display& display = game.system->display;
        if (display.timerMode != TimerMode::kMillisecondClock &&
            display.timerMode != TimerMode::kPerformanceCounter &&
            display.timerMode != TimerMode::kSleep)
            display.timerMode = TimerMode::kPerformanceCounter;
    } else if (over_) {
        return;  // over: the loop ends at the quit that `ended` posted
    }
    // The recorded frames, then the rest of the game-over sequence when the
    // recording ends with the game.
    if (!playedThrough_) {
        if (playback_->Frame(game.Links(), *play_, false))
            return;
        playedThrough_ = true;
        if (game.world->sceneState == SceneState::kPlay && playback_->verdict().same &&
            GameHasEnded(*play_))
            return;
    } else if (playback_->PlayOut(game.Links(), *play_)) {
        return;
    }
    over_ = true;
    game.world->sceneState = SceneState::kTitle;
    if (ended_)
        ended_(game);
}
