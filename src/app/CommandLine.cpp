#include "app/CommandLine.h"

#include <string_view>

namespace app {

CommandLine readCommandLine(int argc, const char* const* argv, const std::function<std::string()>& version) {
    CommandLine answer;
    if (argc <= 1) return answer;
    answer.startsProgram = false;
    const std::string_view argument = argv[1];
    if (argc == 2 && (argument == "--help" || argument == "-h")) {
        answer.standardOutput =
            "Usage: tuftle [--help | --version]\n"
            "Starts Tuftle, two pets at the edge of the screen with a panel in the tray.\n"
            "Started again while it runs, it opens the running Tuftle's panel.\n"
            "\n"
            "  -h, --help   show this help and exit\n"
            "  --version    show the version and exit\n";
    } else if (argc == 2 && argument == "--version") {
        answer.standardOutput = "tuftle " + version() + "\n";
    } else {
        answer.exitStatus = 2;
        const std::string_view refused =
            argc > 2 && (argument == "--help" || argument == "-h" || argument == "--version")
                ? std::string_view(argv[2])
                : argument;
        answer.standardError = "tuftle: unknown argument '" + std::string(refused) + "' (see tuftle --help)\n";
    }
    return answer;
}

}  // namespace app
