#include "RussianCollator.h"

#include <algorithm>
#include <limits>
#include <unicode/ucol.h>
#include <unicode/ustring.h>

namespace {

// ICU takes lengths as int32_t; a longer text is compared by its first 2 GiB.
int32_t icuLength(std::string_view text) {
    return static_cast<int32_t>(std::min<std::size_t>(text.size(), std::numeric_limits<int32_t>::max()));
}

} // namespace

std::shared_ptr<const RussianCollator> RussianCollator::create() {
    UErrorCode status = U_ZERO_ERROR;
    UCollator *collator = ucol_open("ru_RU", &status);
    if (U_FAILURE(status) || !collator) {
        return nullptr;
    }
    // What QCollator sets for a locale when case does not count.
    ucol_setAttribute(collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(collator, UCOL_STRENGTH, UCOL_SECONDARY, &status);
    ucol_setAttribute(collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
    if (U_FAILURE(status)) {
        ucol_close(collator);
        return nullptr;
    }
    return std::shared_ptr<const RussianCollator>(new RussianCollator(collator));
}

RussianCollator::~RussianCollator() {
    ucol_close(m_collator);
}

int RussianCollator::compare(std::string_view first, std::string_view second) const {
    // As QCollator: the empty text goes before any other, even one that ICU
    // finds level with it (one of characters that collation ignores).
    if (first.empty()) {
        return second.empty() ? 0 : -1;
    }
    if (second.empty()) {
        return 1;
    }
    UErrorCode status = U_ZERO_ERROR;
    return ucol_strcollUTF8(m_collator, first.data(), icuLength(first), second.data(), icuLength(second), &status);
}

bool RussianCollator::appendSortKey(std::string_view text, std::string &keys) const {
    // ICU makes keys from UTF-16. A sequence that is not UTF-8 becomes U+FFFD, as
    // it does in compare().
    thread_local std::u16string characters;
    characters.resize(text.size());
    int32_t length = 0;
    UErrorCode status = U_ZERO_ERROR;
    u_strFromUTF8WithSub(characters.data(), static_cast<int32_t>(characters.size()), &length, text.data(),
                         icuLength(text), 0xFFFD, nullptr, &status);
    if (U_FAILURE(status)) {
        return false;
    }
    const std::size_t start = keys.size();
    // Most keys are a little longer than their text; a longer one is made again
    // in room enough.
    std::size_t room = text.size() * 2 + 16;
    for (int attempt = 0; attempt < 2; ++attempt) {
        keys.resize(start + room);
        const int32_t made =
            ucol_getSortKey(m_collator, characters.data(), length, reinterpret_cast<uint8_t *>(keys.data() + start),
                            static_cast<int32_t>(std::min<std::size_t>(room, std::numeric_limits<int32_t>::max())));
        if (made <= 0) {
            break;
        }
        if (static_cast<std::size_t>(made) <= room) {
            keys.resize(start + static_cast<std::size_t>(made));
            return true;
        }
        room = static_cast<std::size_t>(made);
    }
    keys.resize(start);
    return false;
}

std::unique_ptr<const RussianCollator> RussianCollator::clone() const {
    UErrorCode status = U_ZERO_ERROR;
    UCollator *copy = ucol_clone(m_collator, &status);
    if (U_FAILURE(status) || !copy) {
        return nullptr;
    }
    return std::unique_ptr<const RussianCollator>(new RussianCollator(copy));
}
