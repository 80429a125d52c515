#include "SettingsFile.h"

#include "Text.h"

int kindButton(QByteArrayView line) {
    for (std::size_t i = 0; i < kKindWords.size(); ++i) {
        if (line == kKindWords[i]) {
            return static_cast<int>(i);
        }
    }
    return kNoKind;
}

SettingsShown settingsShown(const Lines &settings) {
    SettingsShown shown;
    shown.askAtStart = lineAt(settings, 0) == "1";
    shown.kind = kindButton(lineAt(settings, 1));
    // Gifts are worked out at random unless the file says "0" for them.
    shown.randomGifts = readGiftValue(settings) != "0";
    return shown;
}

Result<SettingsShown> readSettingsShown(const QString &fileName) {
    Result<Lines> lines = readLines(fileName);
    if (!lines.ok()) {
        return lines.status();
    }
    return settingsShown(lines.value());
}

namespace {

const std::array<QByteArrayView, 3> kSettingsMarkers = {SettingsMarker::Players, SettingsMarker::Gift,
                                                        SettingsMarker::LogAllTeams};

} // namespace

Result<Lines> settingsFileLines(const SettingsChosen &chosen) {
    SettingsValues values;
    values.askAtStart = chosen.askAtStart;
    if (chosen.kind >= 0 && chosen.kind < static_cast<int>(kKindWords.size())) {
        values.kind = kKindWords[chosen.kind].toByteArray();
    }
    for (std::size_t k = 0; k < chosen.players.size(); ++k) {
        if (const std::optional<char32_t> bad = unstorableOnALine(chosen.players[k])) {
            return Failure{QStringLiteral("Имя игрока %1 содержит знак %2, который нельзя записать в файл %3 "
                                          "(кодировка Windows-1251). Исправьте имя: настройки не сохранены.")
                               .arg(k + 1)
                               .arg(describeCharacter(*bad), DataFile::Settings)};
        }
        values.players[k] = toCp1251(chosen.players[k]).value();
        // The file is read by looking for the first line that equals a section's
        // marker, so a name spelled as a marker would be taken for it and the
        // values after it would be read from the wrong lines.
        for (const QByteArrayView marker : kSettingsMarkers) {
            if (values.players[k] == marker) {
                return Failure{QStringLiteral("Имя игрока %1 «%2» совпадает с названием раздела файла %3. "
                                              "Исправьте имя: настройки не сохранены.")
                                   .arg(k + 1)
                                   .arg(chosen.players[k], DataFile::Settings)};
            }
        }
    }
    values.randomGifts = chosen.randomGifts;
    values.logAllTeams = chosen.logAllTeams;
    return settingsLines(values);
}

Status saveSettings(const QString &fileName, const SettingsChosen &chosen) {
    const Result<Lines> lines = settingsFileLines(chosen);
    if (!lines.ok()) {
        return lines.status();
    }
    return writeLines(fileName, lines.value());
}
