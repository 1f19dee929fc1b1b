#include "app/CommandLine.h"

#include <optional>
#include <string_view>

#include "app/LaunchAtLoginManager.h"

namespace app {
namespace {

// Qt registers `<program> -session <id>` with a session manager as the command that starts the
// program again with the session, adding `-name <application name>` when the program's file is
// named otherwise. Qt reads both itself, with one dash or two; to us they are a plain start.
bool isSessionOption(std::string_view argument) {
    if (argument.starts_with("--")) argument.remove_prefix(1);
    return argument == "-session" || argument == "-name";
}

CommandLine refused(const std::string& why) {
    CommandLine answer;
    answer.startsProgram = false;
    answer.exitStatus = 2;
    answer.standardError = "tuftle: " + why + " (see tuftle --help)\n";
    return answer;
}

}  // namespace

CommandLine readCommandLine(int argc, const char* const* argv, const std::function<std::string()>& version) {
    // The first question is answered, as most tools do, once every argument is known.
    std::optional<std::string_view> question;
    bool unasked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        if (argument == "--help" || argument == "-h" || argument == "--version") {
            if (!question) question = argument;
        } else if (argument == LaunchAtLoginManager::loginStartArgument) {
            unasked = true;
        } else if (isSessionOption(argument)) {
            if (++i == argc) return refused("'" + std::string(argument) + "' needs a value");
            unasked = unasked || argument.ends_with("-session");
        } else {
            return refused("unknown argument '" + std::string(argument) + "'");
        }
    }
    CommandLine answer;
    answer.opensRunningPanel = !unasked;
    if (!question) return answer;
    answer.startsProgram = false;
    if (*question == "--version") {
        answer.standardOutput = "tuftle " + version() + "\n";
    } else {
        const std::string login = LaunchAtLoginManager::loginStartArgument;
        std::string& usage = answer.standardOutput;
        usage = "Usage: tuftle [" + login + " | --help | --version]\n";
        usage +=
            "Starts Tuftle, two pets at the edge of the screen with a panel in the tray.\n"
            "Started again while it runs, it opens the running Tuftle's panel.\n"
            "\n";
        const auto option = [&usage](std::string name, const char* what) {
            name.resize(26, ' ');
            usage += "  " + name + what + "\n";
        };
        option(login, "start as at login: leave a running Tuftle as it is");
        option("-session ID [-name NAME]", "given by a session manager: start as at login");
        option("-h, --help", "show this help and exit");
        option("--version", "show the version and exit");
    }
    return answer;
}

}  // namespace app
