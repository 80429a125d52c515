// Feeds arbitrary bytes to the line reader, the text check and the settings
// readers, and checks the invariants that the rest of the program relies on.
#include "Cp1251.h"
#include "DataFiles.h"
#include "LineScan.h"
#include "Pool.h"
#include "Settings.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size) {
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));

    const LineFile file(bytes);
    const Lines lines = splitLines(bytes);
    if (lines.size() != file.size()) {
        std::abort();
    }
    qsizetype total = 0;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] != file[i] || lines[i].contains('\r') || lines[i].contains('\n')) {
            std::abort();
        }
        total += lines[i].size();
    }
    if (total > bytes.size()) {
        std::abort();
    }
    // Writing the lines and reading them back gives the same lines.
    if (splitLines(joinLines(lines)) != lines) {
        std::abort();
    }
    // Every byte survives decoding and encoding.
    if (toCp1251(fromCp1251(bytes)) != bytes) {
        std::abort();
    }
    // The walk that checks the text cuts the same lines as the plain one.
    LineScanner checked(bytes);
    QByteArrayView line;
    qsizetype index = 0;
    while (checked.next(line)) {
        if (index >= file.size() || line != file[index]) {
            std::abort();
        }
        ++index;
    }
    const std::optional<TextProblem> problem = checked.problem();
    if (index != file.size() || (problem && (problem->line < 1 || problem->line > file.size()))) {
        std::abort();
    }

    (void)parseSettings(lines).logAllTeamsNumber();
    const UsedTeams used(bytes);
    const ListCount count = countList(bytes, used);
    if (count.lines != file.size() || used.lines() != file.size() || count.matches < file.size() ||
        !poolRemainder(bytes, used).isEmpty()) {
        std::abort();
    }
    return 0;
}
