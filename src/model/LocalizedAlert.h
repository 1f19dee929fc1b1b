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

// What the user reads in place of a part of the program that could not be loaded: `shownPart`
// its name as shown ("设置窗口"), `why` the reason, which follows the file's name in English.
std::string notLoadedText(const std::string& shownPart, const platform::Reason& why);

}  // namespace model
