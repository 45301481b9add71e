#include "app/Scenes.h"

#include "app/Game.h"
#include "app/Replays.h"
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
    if (!recorder_) {
        RunPlaySceneFrame(game.Links(), *play_, calendar_);
        return;
    }
    // One second for the whole frame, and the frame's input, into the record.
    System& system = *game.system;
    WorldState& world = *game.world;
    if (!recorder_->recording())
        recorder_->Begin(system, world);
    frameCalendar_->Latch();
    recorder_->Frame(PackBits(system.inputState.dirBits, system.inputState.buttonBits),
                     frameCalendar_->Now());
    RunPlaySceneFrame(game.Links(), *play_, *frameCalendar_);
    if (recorder_->After(*play_, world, *frameCalendar_) && finished_)
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
    } else if (game.world->sceneState != SceneState::kPlay) {
        return;  // over: the loop ends at the quit that `ended` posted
    }
    if (!playback_->Frame(game.Links(), *play_, false)) {
        game.world->sceneState = SceneState::kTitle;
        if (ended_)
            ended_(game);
    }
}
