#include "model/UserText.h"

#include <algorithm>
#include <limits>
#include <memory>

#include <unicode/brkiter.h>
#include <unicode/uchar.h>
#include <unicode/unistr.h>

namespace model::text {
namespace {

bool isWhitespaceOrNewline(UChar32 c) {
    if ((c >= 0x09 && c <= 0x0D) || c == 0x85) return true;
    const int8_t type = u_charType(c);
    return type == U_SPACE_SEPARATOR || type == U_LINE_SEPARATOR || type == U_PARAGRAPH_SEPARATOR;
}

icu::UnicodeString fromUtf8(std::string_view utf8) {
    const size_t length = std::min<size_t>(utf8.size(), std::numeric_limits<int32_t>::max());
    return icu::UnicodeString::fromUTF8(icu::StringPiece(utf8.data(), static_cast<int32_t>(length)));
}

std::string toUtf8(const icu::UnicodeString& s) {
    std::string out;
    s.toUTF8String(out);
    return out;
}

// Calls `visit` with the end offset of each user-perceived character until it returns false.
template <typename Visit>
void forEachCharacterEnd(const icu::UnicodeString& s, Visit visit) {
    UErrorCode status = U_ZERO_ERROR;
    std::unique_ptr<icu::BreakIterator> it(icu::BreakIterator::createCharacterInstance(icu::Locale::getRoot(), status));
    if (U_FAILURE(status) || !it) {
        // Without the segmentation data a code point is the best available guess.
        for (int32_t i = 0; i < s.length(); i = s.moveIndex32(i, 1))
            if (!visit(s.moveIndex32(i, 1))) return;
        return;
    }
    it->setText(s);
    it->first();
    for (int32_t end = it->next(); end != icu::BreakIterator::DONE; end = it->next())
        if (!visit(end)) return;
}

}  // namespace

std::string trimmingWhitespaceAndNewlines(std::string_view utf8) {
    const icu::UnicodeString s = fromUtf8(utf8);
    int32_t start = 0;
    int32_t end = s.length();
    while (start < end && isWhitespaceOrNewline(s.char32At(start))) start = s.moveIndex32(start, 1);
    while (end > start) {
        const int32_t previous = s.moveIndex32(end, -1);
        if (!isWhitespaceOrNewline(s.char32At(previous))) break;
        end = previous;
    }
    return toUtf8(icu::UnicodeString(s, start, end - start));
}

std::string prefixCharacters(std::string_view utf8, size_t count) {
    const icu::UnicodeString s = fromUtf8(utf8);
    int32_t cut = 0;
    size_t taken = 0;
    if (count > 0) {
        forEachCharacterEnd(s, [&](int32_t end) {
            cut = end;
            return ++taken < count;
        });
    }
    return toUtf8(icu::UnicodeString(s, 0, cut));
}

size_t characterCount(std::string_view utf8) {
    const icu::UnicodeString s = fromUtf8(utf8);
    size_t n = 0;
    forEachCharacterEnd(s, [&](int32_t) {
        ++n;
        return true;
    });
    return n;
}

}  // namespace model::text
