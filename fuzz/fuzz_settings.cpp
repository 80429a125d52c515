// Feeds arbitrary bytes to the settings window's reader as a settings.ini, and
// checks that what the window shows agrees with the lower readers, and that
// saving what it shows and reading the saved file again shows the same.
#include "Cp1251.h"
#include "DataFiles.h"
#include "SettingsFile.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

namespace {

void check(bool condition, const char *what) {
    if (!condition) {
        std::fprintf(stderr, "invariant broken: %s\n", what);
        std::abort();
    }
}

// The window's log check box: ticked when the file says 1.
bool logAllTeamsTicked(const Settings &settings) {
    const Result<int> value = settings.logAllTeamsNumber();
    return value.ok() && value.value() == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const Lines lines = splitLines(bytes);
    const Settings settings = parseSettings(lines);
    const SettingsShown shown = settingsShown(settings);

    check(shown.askAtStart == (lineAt(lines, 0) == "1"), "the ask line is exactly 1");
    check(shown.kind == kNoKind || (shown.kind >= 0 && shown.kind < static_cast<int>(kKindWords.size())),
          "the kind is a button or none");
    check(shown.kind == kNoKind || lineAt(lines, 1) == kKindWords[static_cast<std::size_t>(shown.kind)],
          "the kind button is the one the line names");
    check(shown.randomGifts == (findMarker(lines, SettingsMarker::Gift) < 0 || settings.gift == "1"),
          "gifts are random for exactly 1, or without the marker");
    for (const QByteArray &name : settings.players) {
        check(!name.contains('\r') && !name.contains('\n'), "a player name is one line");
    }

    // The window saves what it shows: the same choices and the names as text.
    SettingsChosen chosen;
    chosen.askAtStart = shown.askAtStart;
    chosen.kind = shown.kind;
    for (std::size_t k = 0; k < settings.players.size(); ++k) {
        chosen.players[k] = fromCp1251(settings.players[k]);
    }
    chosen.randomGifts = shown.randomGifts;
    chosen.logAllTeams = logAllTeamsTicked(settings);

    const Result<Settings> saved = chosenSettings(chosen);
    if (!saved.ok()) {
        // Only a name that cannot be stored, or that would be read as a
        // section marker, is refused.
        bool refusable = false;
        for (std::size_t k = 0; k < settings.players.size(); ++k) {
            const QByteArray &name = settings.players[k];
            refusable = refusable || unstorableOnALine(chosen.players[k]).has_value() ||
                        name == SettingsMarker::Players || name == SettingsMarker::Gift ||
                        name == SettingsMarker::LogAllTeams;
        }
        check(refusable, "a file with storable names is saved");
        return 0;
    }
    // What the file holds on disk, read back as the window reads it.
    const Lines written = settingsLines(saved.value());
    const Lines reread = splitLines(joinLines(written));
    check(reread == written, "the saved lines read back as written");
    const Settings again = parseSettings(reread);
    const SettingsShown shownAgain = settingsShown(again);
    check(shownAgain.askAtStart == shown.askAtStart, "the ask choice survives saving");
    check(shownAgain.kind == shown.kind, "the kind survives saving");
    check(shownAgain.randomGifts == shown.randomGifts, "the gift choice survives saving");
    check(again.players == settings.players, "the player names survive saving");
    check(logAllTeamsTicked(again) == chosen.logAllTeams, "the log choice survives saving");
    const Result<int> logAgain = again.logAllTeamsNumber();
    check(logAgain.ok() && (logAgain.value() == 0 || logAgain.value() == 1), "the saved log value is 0 or 1");
    return 0;
}
