#include "app/CommandLine.h"

#include <gtest/gtest.h>

#include <vector>

namespace app {
namespace {

// Only a start without arguments starts the program; each question is answered on its own
// stream, and anything else is refused in one line.
TEST(CommandLine, startsOnlyWithoutArgumentsAndAnswersEachQuestion) {
    const struct {
        std::vector<const char*> arguments;
        bool starts;
        int status;
        const char* output;  // a part of it; nothing when empty
        const char* error;
    } rows[] = {
        {{}, true, 0, "", ""},
        {{"--help"}, false, 0, "Usage: tuftle", ""},
        {{"-h"}, false, 0, "Usage: tuftle", ""},
        {{"--version"}, false, 0, "tuftle 9.8.7\n", ""},
        {{"-display", ":1"}, false, 2, "", "unknown argument '-display'"},
        {{"-platform"}, false, 2, "", "unknown argument '-platform'"},
        {{"--version", "--verbose"}, false, 2, "", "unknown argument '--verbose'"},
        {{"-v"}, false, 2, "", "unknown argument '-v'"},
    };
    for (const auto& row : rows) {
        std::vector<const char*> argv{"tuftle"};
        argv.insert(argv.end(), row.arguments.begin(), row.arguments.end());
        const auto answer = readCommandLine(static_cast<int>(argv.size()), argv.data(), [] { return "9.8.7"; });
        const std::string what = argv.size() > 1 ? argv[1] : "(none)";
        EXPECT_EQ(answer.startsProgram, row.starts) << what;
        EXPECT_EQ(answer.exitStatus, row.status) << what;
        EXPECT_EQ(answer.standardOutput.empty(), !*row.output) << what;
        EXPECT_NE(answer.standardOutput.find(row.output), std::string::npos) << what;
        EXPECT_EQ(answer.standardError.empty(), !*row.error) << what;
        EXPECT_NE(answer.standardError.find(row.error), std::string::npos) << what;
        if (!answer.standardError.empty()) {
            EXPECT_EQ(answer.standardError.find('\n'), answer.standardError.size() - 1) << what;
        }
    }
}

}  // namespace
}  // namespace app
