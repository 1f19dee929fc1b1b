#pragma once
// Parts the program loads from modules beside its executable when first needed, so that they
// and what they bring (Qt Charts, Qt Network and the libraries under them) are not mapped at
// start. Each module has one extern "C" entry; the program's side of it is in <Part>Loader.cpp,
// the module's in <Part>Entry.cpp. Other programs (tests, tools) link the parts in directly.

#include <string>

namespace app::modules {

struct LoadedEntry {
    void* entry = nullptr;  // null when the module could not be loaded; `error` says why
    std::string error;
};

// Whether modules loaded later may bind to what the module defines, as the keyboard page's
// module binds to the windows' building blocks.
enum class Sharing { none, withLaterModules };

// Loads `file` from the executable's folder, once and for good, and looks up `entry` in it.
LoadedEntry loadEntry(const char* file, const char* entry, Sharing sharing = Sharing::none);

}  // namespace app::modules
