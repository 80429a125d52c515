// Feeds arbitrary bytes to the settings window's reader as a settings.ini, and
// checks that what the window shows agrees with the lower readers, and that
// saving what it shows and reading the saved file again shows the same.
#include "DataFiles.h"
#include "Pool.h"
#include "SettingsFile.h"
#include "Text.h"

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
bool logAllTeamsTicked(const Lines &settings) {
    const Result<int> value = logAllTeams(settings);
    return value.ok() && value.value() == 1;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const Lines lines = splitLines(bytes);

    const SettingsShown shown = settingsShown(lines);
    const PlayerNames names = readPlayerNames(lines);
    const QByteArray gift = readGiftValue(lines);
    const Result<int> logAll = logAllTeams(lines);
    (void)logAll;

    check(shown.askAtStart == (lineAt(lines, 0) == "1"), "the ask line is exactly 1");
    check(shown.kind == kNoKind || (shown.kind >= 0 && shown.kind < static_cast<int>(kKindWords.size())),
          "the kind is a button or none");
    check(shown.kind == kNoKind || lineAt(lines, 1) == kKindWords[static_cast<std::size_t>(shown.kind)],
          "the kind button is the one the line names");
    check(shown.randomGifts == (gift != "0"), "gifts are random unless the gift line is 0");
    for (const QByteArray &name : names) {
        check(!name.contains('\r') && !name.contains('\n'), "a player name is one line");
    }

    // The window saves what it shows: the same choices and the names as text.
    SettingsChosen chosen;
    chosen.askAtStart = shown.askAtStart;
    chosen.kind = shown.kind;
    for (std::size_t k = 0; k < names.size(); ++k) {
        chosen.players[k] = fromCp1251(names[k]);
    }
    chosen.randomGifts = shown.randomGifts;
    chosen.logAllTeams = logAllTeamsTicked(lines);

    const Result<Lines> saved = settingsFileLines(chosen);
    if (!saved.ok()) {
        // Only a name that cannot be stored, or that would be read as a
        // section marker, is refused.
        bool refusable = false;
        for (std::size_t k = 0; k < names.size(); ++k) {
            refusable = refusable || unstorableOnALine(chosen.players[k]).has_value() ||
                        names[k] == SettingsMarker::Players || names[k] == SettingsMarker::Gift ||
                        names[k] == SettingsMarker::LogAllTeams;
        }
        check(refusable, "a file with storable names is saved");
        return 0;
    }
    // What the file holds on disk, read back as the window reads it.
    const Lines reread = splitLines(joinLines(saved.value()));
    check(reread == saved.value(), "the saved lines read back as written");
    const SettingsShown again = settingsShown(reread);
    check(again.askAtStart == shown.askAtStart, "the ask choice survives saving");
    check(again.kind == shown.kind, "the kind survives saving");
    check(again.randomGifts == shown.randomGifts, "the gift choice survives saving");
    check(readPlayerNames(reread) == names, "the player names survive saving");
    check(logAllTeamsTicked(reread) == chosen.logAllTeams, "the log choice survives saving");
    const Result<int> logAgain = logAllTeams(reread);
    check(logAgain.ok() && (logAgain.value() == 0 || logAgain.value() == 1), "the saved log value is 0 or 1");
    return 0;
}
