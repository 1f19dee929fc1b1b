#pragma once

#include <string>

#include "platform/Alert.h"

namespace model {

// A warning whose button speaks the program's language, not the toolkit's.
platform::Alert localizedAlert(std::string messageText, std::string informativeText);

}  // namespace model
