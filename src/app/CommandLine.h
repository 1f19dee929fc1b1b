#pragma once

#include <functional>
#include <string>

namespace app {

// What the command line asks for before anything starts: the program, or only a text.
struct CommandLine {
    bool startsProgram = true;
    int exitStatus = 0;
    std::string standardOutput;
    std::string standardError;
};

// `--help` or `-h` answers the usage and `--version` the version, each with status 0, the first of
// them when there are more. The arguments a session manager starts the program with again start it
// as a plain start does. Any other argument, the toolkit's own included, is refused with one line
// and status 2.
CommandLine readCommandLine(int argc, const char* const* argv, const std::function<std::string()>& version);

}  // namespace app
