#include "app/CommandLine.h"

#include <cstring>

namespace {

// A file's path on one line and what it is below it.
void AddFileLine(std::string& text, std::string_view shown, std::string_view what) {
    text += "  ";
    text += shown;
    text += "\n      ";
    text += what;
    text += '\n';
}

void AddFileLine(std::string& text, const std::filesystem::path& path, std::string_view what) {
    AddFileLine(text, std::string_view(path.native()), what);
}

}  // namespace

CommandLineRequest ReadCommandLine(int argc, const char* const* argv,
                                   std::vector<std::string>* files) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0)
            return CommandLineRequest::kHelp;
        if (std::strcmp(argv[i], "--version") == 0)
            return CommandLineRequest::kVersion;
        const bool watch = std::strcmp(argv[i], "--replay") == 0;
        if (watch || std::strcmp(argv[i], "--check-replay") == 0) {
            for (int j = i + 1; j < argc && std::strncmp(argv[j], "--", 2) != 0; ++j) {
                if (files != nullptr)
                    files->push_back(argv[j]);
                if (watch)
                    break;
            }
            return watch ? CommandLineRequest::kReplay : CommandLineRequest::kCheckReplay;
        }
    }
    return CommandLineRequest::kPlay;
}

std::string HelpText(std::string_view version, const ProgramLayout& layout,
                     const std::filesystem::path& resourceFolder, std::string_view lockFile) {
    const std::filesystem::path& program = layout.programFolder;
    const std::filesystem::path& user = layout.userFolder;
    const bool portable = layout.kind == FolderLayout::kPortable;

    std::string text = "Tessary " + std::string(version) + ", a falling-block puzzle game.\n";
    text += "Usage: tessary [--help | --version | --replay FILE | --check-replay FILE...]\n";
    text += "  --replay FILE          watch a recorded game again (Esc ends it); writes nothing\n";
    text += "  --check-replay FILE... replay recorded games without a window and say whether\n";
    text += "                         each comes to the recorded score (status 1 if any differs)\n\n";
    if (portable) {
        text +=
            "Layout: portable. Everything is kept in the program folder " + program.native() + "\n";
    } else {
        text += "Layout: installed. The game's own files are read from " + program.native() +
                "\nand this user's files are kept in " +
                (user.empty() ? "(no home folder)" : user.native()) + "\n";
    }

    text += "\nReads:\n";
    AddFileLine(text, program / "dir.txt", "names the data folder; required");
    AddFileLine(text, program / "SampleVS.glsl", "vertex shader");
    AddFileLine(text, program / "SamplePS.glsl", "pixel shader");
    if (resourceFolder.empty()) {
        AddFileLine(text, std::string_view("(no dir.txt)"),
                    "the data folder: the game cannot start");
    } else {
        AddFileLine(text, resourceFolder, "data folder: pictures, sounds, music, font, icon");
    }
    AddFileLine(text, user / "Game.ini", "settings and ranking (defaults when missing)");
    AddFileLine(text, user / "save0001.dat ... save0016.dat", "slot files, when present");

    text += "\nWrites:\n";
    AddFileLine(text, user / "Game.ini",
                portable ? "after each game, when the options window closes and when "
                           "the program closes"
                         : "after each game, when the options window closes and when "
                           "the program closes; the folder is made if missing");
    AddFileLine(text, user / "Game.ini.new", "while Game.ini is replaced");
    AddFileLine(text, user / "replays/",
                "a replay of each finished game, named by date, time and score: every game that\n"
                "      entered the ranking and the last 20 others are kept");
    if (portable) {
        AddFileLine(text, program / "dir.txt", "rewritten when the program closes");
        AddFileLine(text, program / "dir.txt.new", "while dir.txt is replaced");
    }
    AddFileLine(text, lockFile, "held while the game runs: one copy at a time");
    return text;
}
