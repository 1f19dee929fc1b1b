#pragma once

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace app {

// The Exec key of a desktop entry, both ways: an argument quoted and escaped as the key wants
// it, and the program an entry starts read back and replaced.

// One argument of an Exec value: quoted, with the characters that stay special inside quotes
// escaped, then escaped again as a desktop-entry string (backslashes double, a percent sign is
// written twice so it is no field code).
std::string execArgument(const std::string& argument);

// The program the Exec key of the entry's [Desktop Entry] group starts (its first argument,
// quoting and escapes undone); nullopt when the group has no Exec key, more than one, or one
// that is not well formed.
std::optional<std::string> execProgram(std::string_view entry);

// The entry with that program replaced by `program`, every other byte as it was; nullopt when
// execProgram finds none.
std::optional<std::string> withExecProgram(std::string_view entry, const std::filesystem::path& program);

// The entry with `argument`, which needs no quoting, after that program, every other byte as it
// was; nullopt when execProgram finds none or the program has arguments already.
std::optional<std::string> withOnlyArgument(std::string_view entry, std::string_view argument);

}  // namespace app
