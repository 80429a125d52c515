#pragma once

#include <QtGlobal>
#include <memory>
#include <string>
#include <string_view>

struct UCollator;

// The order of player names as a Russian reader expects it, on UTF-8 text as
// SQLite stores it: the alphabet of the locale ru_RU, letter case ignored; ё
// counts as е unless the names are the same letter for letter otherwise, and
// then ё follows е. It is the order of the program's QCollator for ru_RU
// without case (russianCollator()), which is ICU with these settings: strength
// secondary, canonical normalization on, numbers compared as texts, punctuation
// not ignored, and the empty text before any other.
class RussianCollator {
public:
    // Nullptr when ICU has no collator to give.
    static std::shared_ptr<const RussianCollator> create();
    ~RussianCollator();
    RussianCollator(const RussianCollator &) = delete;
    RussianCollator &operator=(const RussianCollator &) = delete;

    // Less than, equal to or greater than 0 as `first` goes before, level with or
    // after `second`. The empty text goes first.
    int compare(std::string_view first, std::string_view second) const;
    // Appends the text's sort key (with its closing zero) to `keys`: texts other
    // than the empty one compare as their keys compare byte by byte, and a key is
    // several times quicker to compare than the text. False when ICU fails.
    bool appendSortKey(std::string_view text, std::string &keys) const;

    // A collator of its own for another thread: one ICU collator is not to be
    // used by two threads at once.
    std::unique_ptr<const RussianCollator> clone() const;

private:
    explicit RussianCollator(UCollator *collator) : m_collator(collator) {}

    UCollator *m_collator;
};
