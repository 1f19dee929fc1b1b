#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

namespace app {
namespace {

// A start without arguments, with those a session manager restores the program with, or with the
// autostart entry's mark starts the program, and only a plain one asks a running one for its panel;
// the first question is answered on its own stream, and anything else is refused in one line that
// names it.
TEST(CommandLine, startsPlainOrFromTheSessionAndAnswersTheFirstQuestion) {
    const struct {
        std::vector<const char*> arguments;
        bool starts;
        int status;
        const char* output;  // a part of it; nothing when empty
        const char* error;
        bool opensRunningPanel = true;
    } rows[] = {
        {{}, true, 0, "", ""},
        {{"--help"}, false, 0, "Usage: tuftle", ""},
        {{"-h"}, false, 0, "Usage: tuftle", ""},
        {{"--version"}, false, 0, "tuftle 9.8.7\n", ""},
        {{"-display", ":1"}, false, 2, "", "unknown argument '-display'"},
        {{"-platform"}, false, 2, "", "unknown argument '-platform'"},
        {{"--version", "--verbose"}, false, 2, "", "unknown argument '--verbose'"},
        {{"-v"}, false, 2, "", "unknown argument '-v'"},
        {{"--help", "--version"}, false, 0, "Usage: tuftle", ""},
        {{"--version", "-h"}, false, 0, "tuftle 9.8.7\n", ""},
        {{"--help", "--bogus"}, false, 2, "", "unknown argument '--bogus'"},
        {{"-session", "10d6f1a2b3c4_1733650000_123456"}, true, 0, "", "", false},
        {{"--session", "10d6f1a2b3c4_1733650000_123456"}, true, 0, "", "", false},
        {{"-session", "10d6f1a2b3c4_1_2", "-name", "tuftle"}, true, 0, "", "", false},
        {{"-name", "tuftle"}, true, 0, "", ""},
        {{"-session", "--help"}, true, 0, "", "", false},
        {{"--autostart"}, true, 0, "", "", false},
        {{"--autostart", "--session", "10d6"}, true, 0, "", "", false},
        {{"--autostart", "--help"}, false, 0, "--autostart", "", false},
        {{"--autostart=yes"}, false, 2, "", "unknown argument '--autostart=yes'"},
        {{"-autostart"}, false, 2, "", "unknown argument '-autostart'"},
        {{"-session", "10d6", "--version"}, false, 0, "tuftle 9.8.7\n", ""},
        {{"-session"}, false, 2, "", "'-session' needs a value"},
        {{"-session=10d6"}, false, 2, "", "unknown argument '-session=10d6'"},
        {{"-session", "10d6", "-display", ":1"}, false, 2, "", "unknown argument '-display'"},
    };
    for (const auto& row : rows) {
        std::vector<const char*> argv{"tuftle"};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        const auto answer = readCommandLine(static_cast<int>(argv.size()), argv.data(), [] { return "9.8.7"; });
        std::string what = "(none)";
        if (argv.size() > 1) what.clear();
        for (size_t i = 1; i < argv.size(); ++i) what += std::string(i > 1 ? " " : "") + argv[i];
        EXPECT_EQ(answer.startsProgram, row.starts) << what;
        EXPECT_EQ(answer.exitStatus, row.status) << what;
        if (answer.startsProgram) {
            EXPECT_EQ(answer.opensRunningPanel, row.opensRunningPanel) << what;
        }
        EXPECT_EQ(answer.standardOutput.empty(), !*row.output) << what;
        EXPECT_NE(answer.standardOutput.find(row.output), std::string::npos) << what;
        EXPECT_EQ(answer.standardError.empty(), !*row.error) << what;
        EXPECT_NE(answer.standardError.find(row.error), std::string::npos) << what;
        if (!answer.standardError.empty()) {
            EXPECT_EQ(answer.standardError.find('\n'), answer.standardError.size() - 1) << what;
        }
    }
}

// The help's synopsis names every spelling of every argument the program takes, the session
// manager's included, as a refusal sends the user there; each of its lines fits a terminal 80
// columns wide.
TEST(CommandLine, theHelpNamesEveryArgumentTaken) {
    const char* argv[] = {"tuftle", "--help"};
    const std::string help = readCommandLine(2, argv, [] { return "9.8.7"; }).standardOutput;
    const std::string synopsis = help.substr(0, help.find("\n\n"));
    ASSERT_FALSE(acceptedArguments().empty());
    for (const AcceptedArgument& argument : acceptedArguments()) {
        const std::string spelling(argument.spelling);
        EXPECT_TRUE(std::regex_search(synopsis, std::regex("(^|[ [|])" + spelling + "($|[ \\]|\n])")))
            << spelling << " is not in:\n"
            << synopsis;
    }
    for (size_t start = 0, end; (end = help.find('\n', start)) != std::string::npos; start = end + 1) {
        EXPECT_LE(end - start, 80u) << help.substr(start, end - start);
    }
}

}  // namespace
}  // namespace app
