#include "app/CommandLine.h"

#include <optional>
#include <string_view>

#include "app/LaunchAtLoginManager.h"

namespace app {
namespace {

// Qt registers `<program> -session <id>` with a session manager as the command that starts the
// program again with the session, adding `-name <application name>` when the program's file is
// named otherwise. Qt reads both itself, with one dash or two; to us they are a plain start.
constexpr AcceptedArgument kAccepted[] = {
    {"-h", ArgumentMeaning::help},           {"--help", ArgumentMeaning::help},
    {"--version", ArgumentMeaning::version}, {LaunchAtLoginManager::loginStartArgument, ArgumentMeaning::loginStart},
    {"-session", ArgumentMeaning::session},  {"--session", ArgumentMeaning::session},
    {"-name", ArgumentMeaning::sessionName}, {"--name", ArgumentMeaning::sessionName},
};

const AcceptedArgument* accepted(std::string_view argument) {
    for (const AcceptedArgument& known : kAccepted) {
        if (known.spelling == argument) return &known;
    }
    return nullptr;
}

CommandLine refused(const std::string& why) {
    CommandLine answer;
    answer.startsProgram = false;
    answer.exitStatus = 2;
    answer.standardError = "tuftle: " + why + " (see tuftle --help)\n";
    return answer;
}

}  // namespace

std::span<const AcceptedArgument> acceptedArguments() {
    return kAccepted;
}

CommandLine readCommandLine(int argc, const char* const* argv, const std::function<std::string()>& version) {
    // The first question is answered, as most tools do, once every argument is known.
    std::optional<ArgumentMeaning> question;
    bool unasked = false;
    for (int i = 1; i < argc; ++i) {
        const std::string_view argument = argv[i];
        const AcceptedArgument* known = accepted(argument);
        if (!known) return refused("unknown argument '" + std::string(argument) + "'");
        switch (known->meaning) {
            case ArgumentMeaning::help:
            case ArgumentMeaning::version:
                if (!question) question = known->meaning;
                break;
            case ArgumentMeaning::loginStart:
                unasked = true;
                break;
            case ArgumentMeaning::session:
            case ArgumentMeaning::sessionName:
                if (++i == argc) return refused("'" + std::string(argument) + "' needs a value");
                unasked = unasked || known->meaning == ArgumentMeaning::session;
                break;
        }
    }
    CommandLine answer;
    answer.opensRunningPanel = !unasked;
    if (!question) return answer;
    answer.startsProgram = false;
    if (*question == ArgumentMeaning::version) {
        answer.standardOutput = "tuftle " + version() + "\n";
    } else {
        const std::string login = LaunchAtLoginManager::loginStartArgument;
        std::string& usage = answer.standardOutput;
        usage = "Usage: tuftle [" + login + "] [-session | --session ID] [-name | --name NAME]\n";
        usage +=
            "       tuftle -h | --help | --version\n"
            "\n"
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
