#include "SettingsFile.h"

#include "CharacterNames.h"
#include "Cp1251.h"

int kindButton(QByteArrayView line) {
    for (std::size_t i = 0; i < kKindWords.size(); ++i) {
        if (line == kKindWords[i]) {
            return static_cast<int>(i);
        }
    }
    return kNoKind;
}

SettingsShown settingsShown(const Settings &settings) {
    return {settings.asksAtStart(), kindButton(settings.kind), settings.randomGifts()};
}

Result<SettingsShown> readSettingsShown(const QString &fileName) {
    const Result<Settings> settings = readSettings(fileName);
    if (!settings.ok()) {
        return settings.status();
    }
    return settingsShown(settings.value());
}

Result<Settings> chosenSettings(const SettingsChosen &chosen) {
    Settings settings;
    settings.askAtStart = chosen.askAtStart ? "1" : "0";
    if (chosen.kind >= 0 && chosen.kind < static_cast<int>(kKindWords.size())) {
        settings.kind = kKindWords[chosen.kind].toByteArray();
    }
    for (std::size_t k = 0; k < chosen.players.size(); ++k) {
        if (const std::optional<char32_t> bad = unstorableOnALine(chosen.players[k])) {
            return Failure{QStringLiteral("Имя игрока %1 содержит знак %2, который нельзя записать в файл %3 "
                                          "(кодировка Windows-1251). Исправьте имя: настройки не сохранены.")
                               .arg(k + 1)
                               .arg(describeCharacter(*bad), DataFile::Settings)};
        }
        settings.players[k] = toCp1251(chosen.players[k]).value();
    }
    settings.gift = chosen.randomGifts ? "1" : "0";
    settings.logAllTeams = chosen.logAllTeams ? "1" : "0";
    if (const Status checked = checkSettings(settings); !checked.ok()) {
        return checked;
    }
    return settings;
}

Status saveSettings(const QString &fileName, const SettingsChosen &chosen) {
    const Result<Settings> settings = chosenSettings(chosen);
    if (!settings.ok()) {
        return settings.status();
    }
    return writeSettings(fileName, settings.value());
}
