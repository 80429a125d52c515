#pragma once

#include <QString>

// A name or a team may be of any length in the files. What a window, the chart,
// the sheet or the PDF lays out of it is cut, so that a name of a hundred
// thousand characters costs no more to show than one of eighty; the whole text
// stays in the data, and windows offer it as a tooltip.

// The most characters of one name or team that is laid out.
inline constexpr qsizetype kShownTextLength = 80;

// The text itself, or its first characters and "…" when it is longer than
// maxChars (a character outside the basic plane is never cut in half).
QString elided(const QString &text, qsizetype maxChars = kShownTextLength);
