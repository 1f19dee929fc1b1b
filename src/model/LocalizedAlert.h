#pragma once

#include <string>

#include "platform/Alert.h"

namespace model {

// A warning whose button speaks the program's language, not the toolkit's.
platform::Alert localizedAlert(std::string messageText, std::string informativeText);

// The warning of a start that cannot go on. `why` reads as the rest of a line after the
// program's name on standard error ("tuftle: another program holds ..."); the warning shows it
// as a sentence of its own.
platform::Alert startFailureAlert(const std::string& why);

}  // namespace model
