// Feeds arbitrary bytes to the line reader, the text check and the settings
// readers, and checks the invariants that the rest of the program relies on.
#include "DataFiles.h"
#include "Pool.h"
#include "Settings.h"
#include "Text.h"

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
    (void)checkCp1251Text(bytes);

    (void)parseSettings(lines).logAllTeamsNumber();
    const UsedTeams used(file);
    if (countMatches(file, used) < file.size() || !poolRemainder(file, used).isEmpty()) {
        std::abort();
    }
    return 0;
}
