#include "StatsDatabase.h"

#include "DataFiles.h"
#include "Text.h"

#include <QCollator>
#include <QFile>
#include <QFileInfo>
#include <QSqlDriver>
#include <QSqlError>
#include <QSqlQuery>
#include <QUrl>
#include <QVariant>
#include <memory>
#include <sqlite3.h>

namespace {

// Microsoft Access files (Jet 3/4 and ACE) begin with these bytes.
bool isAccessDatabase(const QByteArray &head) {
    static const QByteArray jet("\x00\x01\x00\x00Standard Jet DB", 19);
    static const QByteArray ace("\x00\x01\x00\x00Standard ACE DB", 19);
    return head.startsWith(jet) || head.startsWith(ace);
}

QString newConnectionName() {
    static int counter = 0;
    return QStringLiteral("korvana-stat-%1").arg(++counter);
}

// The SQLite handle under a Qt connection, or nullptr.
sqlite3 *sqliteHandle(const QSqlDatabase &db) {
    const QVariant handle = db.driver()->handle();
    if (!handle.isValid() || qstrcmp(handle.typeName(), "sqlite3*") != 0) {
        return nullptr;
    }
    return *static_cast<sqlite3 *const *>(handle.constData());
}

int compareRussian(void *context, int lengthA, const void *a, int lengthB, const void *b) {
    const auto *collator = static_cast<const QCollator *>(context);
    // SQLite hands over native UTF-16 on even addresses, lengths in bytes.
    const QStringView first(static_cast<const char16_t *>(a), lengthA / 2);
    const QStringView second(static_cast<const char16_t *>(b), lengthB / 2);
    return collator->compare(first, second);
}

bool registerRussianCollation(const QSqlDatabase &db) {
    sqlite3 *const handle = sqliteHandle(db);
    if (!handle) {
        return false;
    }
    auto collator = std::make_unique<QCollator>(russianCollator());
    // Once registered, SQLite owns the collator and deletes it with the
    // connection; a failed registration leaves it with us.
    const int registered = sqlite3_create_collation_v2(handle, StatsDb::RussianCollation.toUtf8().constData(),
                                                       SQLITE_UTF16_ALIGNED, collator.get(), compareRussian,
                                                       [](void *context) { delete static_cast<QCollator *>(context); });
    if (registered != SQLITE_OK) {
        return false;
    }
    collator.release();
    return true;
}

// A value bound as text, never as NULL: an empty label text is an empty text.
QVariant text(const QString &value) {
    return value.isNull() ? QVariant(QStringLiteral("")) : QVariant(value);
}

bool isInteger(const QString &value) {
    qsizetype start = value.startsWith(u'-') ? 1 : 0;
    if (start == value.size()) {
        return false;
    }
    for (qsizetype i = start; i < value.size(); ++i) {
        if (value[i] < u'0' || value[i] > u'9') {
            return false;
        }
    }
    bool ok = false;
    value.toLongLong(&ok);
    return ok;
}

Failure statementFailure(const QString &name, const QSqlQuery &query) {
    return Failure{QStringLiteral("Игрок «%1» не записан в базу: %2").arg(name, query.lastError().text())};
}

} // namespace

Result<std::unique_ptr<StatsConnection>> StatsConnection::open(const QString &fileName) {
    const QFileInfo info(fileName);
    if (!info.exists()) {
        return Failure{fileErrorText(fileName, QStringLiteral("File not found"))};
    }
    if (info.isDir()) {
        return Failure{fileErrorText(fileName, QStringLiteral("Is a directory"))};
    }
    {
        QFile file(fileName);
        if (!file.open(QIODevice::ReadOnly)) {
            return Failure{fileErrorText(fileName, file.errorString())};
        }
        if (isAccessDatabase(file.read(32))) {
            return Failure{fileErrorText(
                fileName, QStringLiteral("это база Microsoft Access, а программе нужна база SQLite с таблицей stat"))};
        }
    }

    // Declared first, so that on a failure the connection is removed after the
    // handles below are gone.
    std::unique_ptr<StatsConnection> connection(new StatsConnection(newConnectionName()));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), connection->m_name);
    if (!db.isValid()) {
        return Failure{
            fileErrorText(fileName, QStringLiteral("нет драйвера SQLite (QSQLITE): %1").arg(db.lastError().text()))};
    }
    // A URI with mode=rw opens only an existing file; the fully encoded URL keeps a
    // '#' or '?' in the path from being read as the end of the file name.
    db.setConnectOptions(QStringLiteral("QSQLITE_OPEN_URI"));
    db.setDatabaseName(QUrl::fromLocalFile(info.absoluteFilePath()).toString(QUrl::FullyEncoded) +
                       QStringLiteral("?mode=rw"));
    if (!db.open()) {
        return Failure{fileErrorText(fileName, db.lastError().text())};
    }
    // Any file "opens"; the first statement shows whether it is a database with the
    // table and the columns that the program uses.
    QSqlQuery probe(db);
    if (!probe.exec(QStringLiteral("SELECT id, Игрок, Побед, Ничьих, Поражений, Забито, Пропущено, Разница, Очки, "
                                   "Первый, Второй, Третий FROM stat LIMIT 0"))) {
        return Failure{fileErrorText(fileName, probe.lastError().text())};
    }
    connection->m_russianCollation = registerRussianCollation(db);
    return connection;
}

StatsConnection::~StatsConnection() {
    {
        QSqlDatabase db = QSqlDatabase::database(m_name, false);
        if (db.isOpen()) {
            db.close();
        }
    }
    QSqlDatabase::removeDatabase(m_name);
}

QSqlDatabase StatsConnection::database() const {
    return QSqlDatabase::database(m_name, false);
}

Status checkPlayerFigures(const PlayerFigures &figures) {
    if (figures.place != u"1" && figures.place != u"2" && figures.place != u"3") {
        return Failure{QStringLiteral("Места ещё не посчитаны: сначала нажмите «Посчитать результат».")};
    }
    const std::pair<const QString *, const char16_t *> columns[] = {
        {&figures.wins, u"Побед"},    {&figures.draws, u"Ничьих"},       {&figures.losses, u"Поражений"},
        {&figures.scored, u"Забито"}, {&figures.conceded, u"Пропущено"}, {&figures.difference, u"Разница"},
        {&figures.points, u"Очки"},
    };
    for (const auto &[value, column] : columns) {
        if (!isInteger(*value)) {
            return Failure{QStringLiteral("Игрок «%1»: в графе «%2» стоит «%3», а нужно целое число.")
                               .arg(figures.name, QString::fromUtf16(column), *value)};
        }
    }
    return {};
}

Status WritePlayerStats(const QSqlDatabase &db, const QString &name, const QString &wins, const QString &draws,
                        const QString &losses, const QString &scored, const QString &conceded,
                        const QString &difference, const QString &points, const QString &place) {
    Status checked = checkPlayerFigures({name, wins, draws, losses, scored, conceded, difference, points, place});
    if (!checked.ok()) {
        return checked;
    }
    const QString first = place == u"1" ? QStringLiteral("1") : QStringLiteral("0");
    const QString second = place == u"2" ? QStringLiteral("1") : QStringLiteral("0");
    const QString third = place == u"3" ? QStringLiteral("1") : QStringLiteral("0");

    QSqlQuery lookup(db);
    lookup.prepare(QStringLiteral("SELECT Игрок FROM stat WHERE Игрок=:x"));
    lookup.bindValue(QStringLiteral(":x"), text(name));
    if (!lookup.exec()) {
        return statementFailure(name, lookup);
    }
    // The first row's name, or the empty text when there is none; and whether a
    // second row follows.
    const bool found = lookup.next();
    const QString readBack = found ? lookup.value(0).toString() : QString();
    const bool moreRows = found && lookup.next();
    lookup.finish();

    QSqlQuery command(db);
    if (readBack == name) {
        command.prepare(
            QStringLiteral("UPDATE stat SET Побед=Побед+:q,Ничьих=Ничьих+:w,Поражений=Поражений+:e,Забито=Забито+:r,"
                           "Пропущено=Пропущено+:t,Разница=Разница+:a,Очки=Очки+:s,Первый=Первый+:y,Второй=Второй+:u,"
                           "Третий=Третий+:i WHERE Игрок=:m"));
        command.bindValue(QStringLiteral(":q"), text(wins));
        command.bindValue(QStringLiteral(":m"), text(readBack));
        command.bindValue(QStringLiteral(":w"), text(draws));
        command.bindValue(QStringLiteral(":e"), text(losses));
        command.bindValue(QStringLiteral(":r"), text(scored));
        command.bindValue(QStringLiteral(":t"), text(conceded));
        command.bindValue(QStringLiteral(":a"), text(difference));
        command.bindValue(QStringLiteral(":s"), text(points));
        command.bindValue(QStringLiteral(":y"), first);
        command.bindValue(QStringLiteral(":u"), second);
        command.bindValue(QStringLiteral(":i"), third);
    } else if (!moreRows) {
        command.prepare(QStringLiteral("INSERT INTO Stat (Игрок,Побед,Ничьих,Поражений,Забито,Пропущено,Разница,Очки,"
                                       "Первый,Второй,Третий) VALUES (:q,:w,:e,:r,:t,:y,:a,:s,:u,:i,:o)"));
        command.bindValue(QStringLiteral(":q"), text(name));
        command.bindValue(QStringLiteral(":w"), text(wins));
        command.bindValue(QStringLiteral(":e"), text(draws));
        command.bindValue(QStringLiteral(":r"), text(losses));
        command.bindValue(QStringLiteral(":t"), text(scored));
        command.bindValue(QStringLiteral(":y"), text(conceded));
        command.bindValue(QStringLiteral(":a"), text(difference));
        command.bindValue(QStringLiteral(":s"), text(points));
        command.bindValue(QStringLiteral(":u"), first);
        command.bindValue(QStringLiteral(":i"), second);
        command.bindValue(QStringLiteral(":o"), third);
    } else {
        // Two or more rows and the first differs from the name: nothing is written.
        return {};
    }
    if (!command.exec()) {
        return statementFailure(name, command);
    }
    return {};
}

Status writeTournament(const QSqlDatabase &db, const std::array<PlayerFigures, 3> &rows,
                       const std::function<void(int)> &afterRow) {
    const QString nothingWritten = QStringLiteral("\nВ базу ничего не записано.");
    for (const PlayerFigures &row : rows) {
        if (const Status checked = checkPlayerFigures(row); !checked.ok()) {
            return Failure{checked.error() + nothingWritten};
        }
    }
    QSqlDatabase connection = db;
    if (!connection.transaction()) {
        return Failure{QStringLiteral("Запись в базу не началась: %1").arg(connection.lastError().text()) +
                       nothingWritten};
    }
    for (int k = 0; k < 3; ++k) {
        const PlayerFigures &row = rows[k];
        const Status written = WritePlayerStats(connection, row.name, row.wins, row.draws, row.losses, row.scored,
                                                row.conceded, row.difference, row.points, row.place);
        if (!written.ok()) {
            connection.rollback();
            return Failure{written.error() + nothingWritten};
        }
        if (afterRow) {
            afterRow(k + 1);
        }
    }
    if (!connection.commit()) {
        const QString reason = connection.lastError().text();
        connection.rollback();
        return Failure{QStringLiteral("Запись в базу не завершилась: %1").arg(reason) + nothingWritten};
    }
    return {};
}

Status createStatsDatabase(const QString &fileName, const QString &schemaSql) {
    if (QFileInfo::exists(fileName)) {
        return Failure{fileErrorText(fileName, QStringLiteral("файл уже есть"))};
    }
    const QString name = newConnectionName();
    QString error;
    {
        QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), name);
        db.setDatabaseName(fileName);
        if (!db.open()) {
            error = db.lastError().text();
        } else if (sqlite3 *const handle = sqliteHandle(db); !handle) {
            error = QStringLiteral("нет доступа к SQLite");
        } else {
            // The schema is a script of several statements, which sqlite3_exec runs in turn.
            char *message = nullptr;
            if (sqlite3_exec(handle, schemaSql.toUtf8().constData(), nullptr, nullptr, &message) != SQLITE_OK) {
                error = QString::fromUtf8(message);
            }
            sqlite3_free(message);
        }
        db.close();
    }
    QSqlDatabase::removeDatabase(name);
    if (!error.isEmpty()) {
        QFile::remove(fileName);
        return Failure{fileErrorText(fileName, error)};
    }
    return {};
}
