// The command line: --help and --version are answered, anything else plays;
// the help names every file with the folder the layout puts it in.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/CommandLine.h"

namespace {

TEST(CommandLine, AnswersHelpAndVersionAndIgnoresTheRest) {
    const struct {
        std::vector<const char*> args;
        CommandLineRequest request;
    } cases[] = {
        {{"tessary"}, CommandLineRequest::kPlay},
        {{"tessary", "--fullscreen", "-h"}, CommandLineRequest::kPlay},
        {{"tessary", "x", "--help"}, CommandLineRequest::kHelp},
        {{"tessary", "--version", "--help"}, CommandLineRequest::kVersion},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(ReadCommandLine(static_cast<int>(c.args.size()), c.args.data()), c.request)
            << c.args.back();
    }
}

// True when the text lists the path on a line of its own, saying what below it.
bool Lists(const std::string& text, const std::string& path, const std::string& what) {
    const std::string line = "\n  " + path + "\n";
    for (size_t at = text.find(line); at != std::string::npos; at = text.find(line, at + 1)) {
        const size_t below = at + line.size();
        if (text.substr(below, text.find('\n', below) - below).find(what) != std::string::npos)
            return true;
    }
    return false;
}

TEST(CommandLine, HelpNamesTheFilesOfEachLayout) {
    const ProgramLayout installed{FolderLayout::kInstalled, u"/usr/share/tessary/",
                                  u"/home/p/.local/share/tessary/"};
    std::string text =
        HelpText("1.2.3", installed, "/usr/share/tessary/data/", "/run/user/7/tessary.lock");
    EXPECT_NE(text.find("Tessary 1.2.3"), std::string::npos);
    EXPECT_NE(text.find("Layout: installed"), std::string::npos);
    EXPECT_TRUE(Lists(text, "/usr/share/tessary/dir.txt", "data folder"));
    EXPECT_TRUE(Lists(text, "/usr/share/tessary/SampleVS.glsl", "shader"));
    EXPECT_TRUE(Lists(text, "/usr/share/tessary/data/", "pictures"));
    EXPECT_TRUE(Lists(text, "/home/p/.local/share/tessary/Game.ini", "made if missing"));
    EXPECT_TRUE(Lists(text, "/home/p/.local/share/tessary/save0001.dat ... save0016.dat", "slot"));
    EXPECT_TRUE(Lists(text, "/run/user/7/tessary.lock", "one copy"));
    EXPECT_EQ(text.find("rewritten"), std::string::npos);  // nothing shared is written

    const ProgramLayout portable{FolderLayout::kPortable, u"/g/", u"/g/"};
    text = HelpText("1.2.3", portable, "", "/tmp/l");
    EXPECT_NE(text.find("Layout: portable"), std::string::npos);
    EXPECT_TRUE(Lists(text, "/g/dir.txt", "rewritten"));
    EXPECT_TRUE(Lists(text, "/g/dir.txt.new", "while dir.txt is replaced"));
    EXPECT_TRUE(Lists(text, "/g/Game.ini", "when the program closes"));
    EXPECT_NE(text.find("cannot start"), std::string::npos);  // no dir.txt, no data folder
}

}  // namespace
