#include "Settings.h"

#include "Cp1251.h"
#include "Integers.h"

#include <algorithm>

namespace {

// The value on the line `offset` after a marker; the fallback without the marker.
QByteArray valueAfter(const Lines &lines, QByteArrayView marker, qsizetype offset, const QByteArray &fallback) {
    const qsizetype at = findMarker(lines, marker);
    return at < 0 ? fallback : lineAt(lines, at + offset);
}

constexpr std::array<QByteArrayView, 3> kMarkers = {SettingsMarker::Players, SettingsMarker::Gift,
                                                    SettingsMarker::LogAllTeams};

} // namespace

Result<int> Settings::logAllTeamsNumber() const {
    const std::optional<int> number = parseInt(fromCp1251(logAllTeams));
    if (!number) {
        return Failure{notAnIntegerMessage(fromCp1251(logAllTeams))};
    }
    return *number;
}

Settings parseSettings(const Lines &lines) {
    Settings settings;
    settings.askAtStart = lineAt(lines, 0);
    settings.kind = lineAt(lines, 1);
    for (int k = 0; k < kPlayers; ++k) {
        settings.players[k] = valueAfter(lines, SettingsMarker::Players, k + 1, settings.players[k]);
    }
    settings.gift = valueAfter(lines, SettingsMarker::Gift, 1, settings.gift);
    settings.logAllTeams = valueAfter(lines, SettingsMarker::LogAllTeams, 1, settings.logAllTeams);
    return settings;
}

Result<Settings> readSettings(const QString &fileName) {
    const Result<Lines> lines = readLines(fileName);
    if (!lines.ok()) {
        return lines.status();
    }
    return parseSettings(lines.value());
}

Lines settingsLines(const Settings &settings) {
    Lines lines{settings.askAtStart};
    if (!settings.kind.isEmpty()) {
        lines.append(settings.kind);
    }
    lines.append(SettingsMarker::Players.toByteArray());
    for (const QByteArray &name : settings.players) {
        lines.append(name);
    }
    lines.append(SettingsMarker::Gift.toByteArray());
    lines.append(settings.gift);
    lines.append(SettingsMarker::LogAllTeams.toByteArray());
    lines.append(settings.logAllTeams);
    return lines;
}

Settings defaultSettings() {
    Settings settings;
    settings.kind = "clubs";
    return settings;
}

Lines defaultSettingsLines() {
    return settingsLines(defaultSettings());
}

Status checkSettings(const Settings &settings) {
    for (std::size_t k = 0; k < settings.players.size(); ++k) {
        const QByteArray &name = settings.players[k];
        if (name.contains('\r') || name.contains('\n')) {
            return Failure{QStringLiteral("Имя игрока %1 разбито на строки, а в файле %2 оно должно стоять на одной "
                                          "строке. Исправьте имя: настройки не сохранены.")
                               .arg(k + 1)
                               .arg(DataFile::Settings)};
        }
        // The file is read by looking for the first line that equals a section's
        // marker, so a name spelled as a marker would be taken for it and the
        // values after it would be read from the wrong lines.
        if (std::find(kMarkers.begin(), kMarkers.end(), QByteArrayView(name)) != kMarkers.end()) {
            return Failure{QStringLiteral("Имя игрока %1 «%2» совпадает с названием раздела файла %3. "
                                          "Исправьте имя: настройки не сохранены.")
                               .arg(k + 1)
                               .arg(fromCp1251(name), DataFile::Settings)};
        }
    }
    return {};
}

Status writeSettings(const QString &fileName, const Settings &settings) {
    if (const Status checked = checkSettings(settings); !checked.ok()) {
        return checked;
    }
    return writeLines(fileName, settingsLines(settings));
}

qsizetype findMarker(const Lines &lines, QByteArrayView marker) {
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] == marker) {
            return i;
        }
    }
    return -1;
}

QStringList playerNamesOf(const PlayerNames &players) {
    QStringList names;
    for (const QByteArray &player : players) {
        names.append(fromCp1251(player));
    }
    return names;
}
