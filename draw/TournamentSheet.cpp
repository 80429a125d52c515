#include "TournamentSheet.h"

#include "DataFiles.h"
#include "Elide.h"
#include "XlsxSpreadsheet.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

QString tournamentTemplatePath() {
    return programDirectory() + QStringLiteral("table.xlsx");
}

QString tournamentSheetFolder() {
    // Each user has a cache folder of his own, so sheets of several users on one
    // machine do not meet.
    return QDir(QStandardPaths::writableLocation(QStandardPaths::GenericCacheLocation))
        .filePath(QStringLiteral("Korvana 3"));
}

std::unique_ptr<Spreadsheet> makeTournamentSpreadsheet() {
    return makeXlsxSpreadsheet(tournamentSheetFolder());
}

Result<SheetExport> exportTournamentSheet(Spreadsheet &sheet, const TournamentSheet &values,
                                          const QString &templatePath) {
    if (Status opened = sheet.open(templatePath); !opened.ok()) {
        return opened;
    }
    const std::array<std::pair<const char *, const QString *>, 12> cells = {{
        {"a2", &values.players[0]},
        {"a3", &values.players[1]},
        {"a4", &values.players[2]},
        {"b2", &values.teams[0]},
        {"b3", &values.teams[1]},
        {"b4", &values.teams[2]},
        {"b7", &values.firstRound[0][0]},
        {"c7", &values.firstRound[0][1]},
        {"b8", &values.firstRound[1][0]},
        {"c8", &values.firstRound[1][1]},
        {"b9", &values.firstRound[2][0]},
        {"c9", &values.firstRound[2][1]},
    }};
    // A cell of the printed sheet holds a name cut to what fits on paper: a
    // spreadsheet takes no more than 32,767 characters in a cell anyway.
    for (const auto &[cell, value] : cells) {
        if (Status put = sheet.putRange(QString::fromLatin1(cell), elided(*value)); !put.ok()) {
            return put;
        }
    }
    if (Status selected = sheet.select(QStringLiteral("e8")); !selected.ok()) {
        return selected;
    }

    SheetExport outcome;
    if (values.prizePicture.isEmpty()) {
        outcome.notices.append(QStringLiteral("В «gift.txt» не записан приз: таблица без картинки приза."));
    } else if (!QFileInfo(values.prizePicture).isFile()) {
        outcome.notices.append(QStringLiteral("Картинка приза не найдена, таблица без неё: %1")
                                   .arg(QDir::toNativeSeparators(values.prizePicture)));
    } else if (Status added = sheet.addPicture(values.prizePicture, true, true, 263, 115, 60, 60); !added.ok()) {
        return added;
    }

    Result<Spreadsheet::Shown> shown = sheet.show();
    if (!shown.ok()) {
        return shown.status();
    }
    outcome.file = shown.value().file;
    outcome.desktopOpened = shown.value().desktopOpened;
    if (!outcome.desktopOpened) {
        outcome.notices.append(QStringLiteral("Таблица записана, но открыть её не удалось: нет программы для "
                                              "электронных таблиц. Откройте и распечатайте файл сами: %1")
                                   .arg(outcome.file));
    }
    return outcome;
}
