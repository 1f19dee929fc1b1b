#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

namespace app {

// What the command line asks for before anything starts: the program, or only a text.
struct CommandLine {
    bool startsProgram = true;
    // Whether a start that finds the program running asks it to open its panel: not when the
    // session manager or the login's autostart entry made it, which the user did not ask for.
    bool opensRunningPanel = true;
    int exitStatus = 0;
    std::string standardOutput;
    std::string standardError;
};

// What an argument the program takes asks for; a session and its name come with a value.
enum class ArgumentMeaning { help, version, loginStart, session, sessionName };

struct AcceptedArgument {
    std::string_view spelling;
    ArgumentMeaning meaning;
};

// Every spelling of every argument the program takes.
std::span<const AcceptedArgument> acceptedArguments();

// `--help` or `-h` answers the usage and `--version` the version, each with status 0, the first of
// them when there are more. The arguments a session manager starts the program with again, and
// the autostart entry's mark, start it as a plain start does, but leave a running one as it is.
// Any other argument, the toolkit's own included, is refused with one line and status 2.
CommandLine readCommandLine(int argc, const char* const* argv, const std::function<std::string()>& version);

}  // namespace app
