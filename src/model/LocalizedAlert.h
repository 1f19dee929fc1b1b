#pragma once

#include <string>

#include "platform/Alert.h"
#include "platform/Reason.h"

namespace model {

// A warning whose button speaks the program's language, not the toolkit's.
platform::Alert localizedAlert(std::string messageText, std::string informativeText);

// The warning of a start that cannot go on. `why` reads in English as the rest of a line after
// the program's name on standard error ("tuftle: another program holds ..."); the warning says
// it in the interface's language as a sentence of its own.
platform::Alert startFailureAlert(const platform::Reason& why);

}  // namespace model
