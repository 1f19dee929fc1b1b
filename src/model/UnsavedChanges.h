#pragma once

#include <string>
#include <vector>

namespace model {

// For the line that reports a save that failed at quit: `unsavedKeys` (the keys the settings
// file misses) in the words the user knows from the settings, each named once, and whether
// the key counts and companion time are kept for the next start (`countsKept`: then their
// keys are not named). Keys that only keep the program's own bookkeeping are not named; a lost
// mark of the orderly quit is told by what the next start will report.
std::string unsavedChangesNote(const std::vector<std::string>& unsavedKeys, bool countsKept);

}  // namespace model
