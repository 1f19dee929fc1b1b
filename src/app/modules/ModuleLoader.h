#pragma once
// Parts the program loads from modules beside its executable when first needed, so that they
// and what they bring (Qt Charts, Qt Network and the libraries under them) are not mapped at
// start. Each module has one extern "C" entry; the program's side of it is in <Part>Loader.cpp,
// the module's in <Part>Entry.cpp. Other programs (tests, tools) link the parts in directly.

#include <memory>
#include <string>
#include <string_view>

#include "platform/program/ModuleFile.h"

namespace app::modules {

// The module `file` in the executable's folder, loaded once and for good when it is the module
// this program was linked with (see platform/program/ModuleFile.h). `Symbols::sharedWithLaterModules`
// lets modules loaded later bind to what it defines, as the keyboard page's module binds to the
// windows' building blocks.
platform::ModuleFile& loadModule(const char* file, platform::ModuleFile::Symbols symbols);

// The GNU build id of the module `file` the program was linked with, in hex (written at build
// time, beside the program).
std::string_view builtModuleIdentity(std::string_view file);

}  // namespace app::modules
