#pragma once

#include <filesystem>
#include <functional>
#include <initializer_list>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

namespace platform {

// Why something failed, kept so that any language can word it: a template, whose text has
// places "{0}" to "{9}", and what fills them, each a reason of its own or a value that reads
// the same in every language (a path, a name, a number, the system's message for an error).
// Templates are written in English, the language of standard error; that text is also the
// key of their translations.
class Reason {
public:
    // A template's text: a literal in the code, where the tests find each one to check that it
    // has its translations.
    struct Template {
        consteval Template(const char* text) : text(text) {}
        std::string_view text;
    };
    struct Part;

    // No reason: nothing went wrong.
    Reason() = default;
    explicit Reason(Template text, std::initializer_list<Part> parts = {});
    // `what` went wrong, with the C library's message for `error` (an errno) in the process's
    // locale of that moment, which is English until the toolkit sets one; the message stays as
    // it is in every language.
    static Reason failed(Part what, int error);

    bool empty() const { return kind_ == Kind::none; }
    // As standard error and the session log say it.
    std::string english() const;
    // Each template's text put into a language by `translate`, which answers the text itself
    // where it has no translation; values stay as they are.
    std::string worded(const std::function<std::string(std::string_view)>& translate) const;

private:
    enum class Kind { none, sentence, value };
    Kind kind_ = Kind::none;
    std::string text_;  // the template's text, or the value
    std::vector<Reason> parts_;
};

// What fills one place of a template.
struct Reason::Part {
    Part(Reason reason) : reason(std::move(reason)) {}
    Part(std::string value);
    Part(const std::filesystem::path& value) : Part(value.string()) {}
    Part(long long number) : Part(std::to_string(number)) {}
    // A literal is a text of its own, which a template words.
    Part(const char*) = delete;
    Reason reason;
};

// In English.
std::ostream& operator<<(std::ostream& out, const Reason& reason);

}  // namespace platform
