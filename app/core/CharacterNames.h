#pragma once

#include <QString>

// How a message names a character, an invisible one too: «Ł» (U+0141),
// перевод строки (U+000A).
QString describeCharacter(char32_t codePoint);
