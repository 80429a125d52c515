#include "ProgramTest.h"

#include "DataFiles.h"
#include "StatsConnection.h"
#include "Unit1.h"

#include <QFile>
#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>
#include <functional>
#include <sqlite3.h>

void makeStatsDatabase(const QString &fileName) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    ASSERT_TRUE(schema.ok()) << schema.error().toStdString();
    const Status made = createStatsDatabase(fileName, QString::fromUtf8(schema.value()));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
}

namespace {

const QString kCheckConnection = QStringLiteral("test-check");

} // namespace

QStringList statRows(const QString &fileName) {
    QStringList rows;
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheckConnection);
        check.setDatabaseName(fileName);
        EXPECT_TRUE(check.open());
        QSqlQuery query(QStringLiteral("SELECT * FROM stat ORDER BY id"), check);
        while (query.next()) {
            QStringList fields;
            for (int k = 1; k < query.record().count(); ++k) {
                fields.append(query.value(k).toString());
            }
            rows.append(fields.join(u' '));
        }
    }
    QSqlDatabase::removeDatabase(kCheckConnection);
    return rows;
}

// Every row of every table, each table in a fixed order, as text: two files
// with the same dump hold the same book and the same statistics.
QStringList dumpDatabase(const QString &path) {
    sqlite3 *db = nullptr;
    EXPECT_EQ(sqlite3_open_v2(QFile::encodeName(path).constData(), &db, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    QStringList lines;
    const auto each = [db](const QString &sql, const std::function<void(sqlite3_stmt *)> &row) {
        sqlite3_stmt *statement = nullptr;
        if (sqlite3_prepare_v2(db, sql.toUtf8().constData(), -1, &statement, nullptr) != SQLITE_OK) {
            ADD_FAILURE() << sqlite3_errmsg(db);
            return;
        }
        while (sqlite3_step(statement) == SQLITE_ROW) {
            row(statement);
        }
        sqlite3_finalize(statement);
    };
    QStringList tables;
    each(QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name"),
         [&tables](sqlite3_stmt *s) { tables.append(QString::fromUtf8(sqlite3_column_text(s, 0))); });
    for (const QString &table : tables) {
        QStringList rows;
        each(QStringLiteral("SELECT * FROM \"%1\"").arg(table), [&](sqlite3_stmt *s) {
            QStringList cells{table};
            for (int c = 0; c < sqlite3_column_count(s); ++c) {
                // The storage class too: 5 and '5' are different bytes in the file.
                const int type = sqlite3_column_type(s, c);
                cells.append(type == SQLITE_NULL
                                 ? QStringLiteral("NULL")
                                 : QString::number(type) + u':' +
                                       QString::fromUtf8(reinterpret_cast<const char *>(sqlite3_column_text(s, c))));
            }
            rows.append(cells.join(u'|'));
        });
        rows.sort();
        lines += rows;
    }
    each(QStringLiteral("PRAGMA user_version"),
         [&lines](sqlite3_stmt *s) { lines.append(QStringLiteral("version %1").arg(sqlite3_column_int(s, 0))); });
    sqlite3_close(db);
    return lines;
}

QStringList dumpBookAndStat(const QString &path) {
    QStringList lines = dumpDatabase(path);
    lines.removeIf([](const QString &line) {
        return line.startsWith(u"tournament_undone|") || line.startsWith(u"undone_player|") ||
               line.startsWith(u"undone_match|");
    });
    return lines;
}

void execOnStats(const QString &fileName, const QStringList &statements) {
    {
        QSqlDatabase check = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), kCheckConnection);
        check.setDatabaseName(fileName);
        EXPECT_TRUE(check.open());
        check.transaction();
        for (const QString &statement : statements) {
            QSqlQuery query(check);
            EXPECT_TRUE(query.exec(statement)) << query.lastError().text().toStdString();
        }
        check.commit();
    }
    QSqlDatabase::removeDatabase(kCheckConnection);
}

OtherProgram::OtherProgram(const QString &fileName) : m_fileName(fileName) {
    EXPECT_EQ(sqlite3_open_v2(fileName.toUtf8().constData(), &m_db, SQLITE_OPEN_READWRITE, nullptr), SQLITE_OK);
}

OtherProgram::~OtherProgram() {
    release();
    sqlite3_close(m_db);
}

void OtherProgram::exec(const char *statement) {
    char *message = nullptr;
    EXPECT_EQ(sqlite3_exec(m_db, statement, nullptr, nullptr, &message), SQLITE_OK)
        << statement << ": " << (message ? message : "");
    sqlite3_free(message);
}

void OtherProgram::holdExclusive() {
    exec("BEGIN EXCLUSIVE");
}

void OtherProgram::holdRead() {
    exec("BEGIN");
    ASSERT_EQ(sqlite3_prepare_v2(m_db, "SELECT id FROM stat", -1, &m_read, nullptr), SQLITE_OK);
    const int step = sqlite3_step(m_read);
    EXPECT_TRUE(step == SQLITE_ROW || step == SQLITE_DONE) << sqlite3_errmsg(m_db);
}

void OtherProgram::release() {
    sqlite3_finalize(m_read);
    m_read = nullptr;
    if (!sqlite3_get_autocommit(m_db)) {
        exec("ROLLBACK");
    }
}

bool OtherProgram::writesAtOnce() {
    if (sqlite3_exec(m_db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK) {
        return false;
    }
    return sqlite3_exec(m_db, "COMMIT", nullptr, nullptr, nullptr) == SQLITE_OK;
}

bool OtherProgram::newReaderReadsAtOnce() const {
    sqlite3 *reader = nullptr;
    EXPECT_EQ(sqlite3_open_v2(m_fileName.toUtf8().constData(), &reader, SQLITE_OPEN_READONLY, nullptr), SQLITE_OK);
    const bool read = sqlite3_exec(reader, "SELECT count(*) FROM stat", nullptr, nullptr, nullptr) == SQLITE_OK;
    sqlite3_close(reader);
    return read;
}

TForm1 &ProgramTest::start() {
    if (makeDatabase && !QFileInfo::exists(path(StatsDb::FileName))) {
        makeStatsDatabase(path(StatsDb::FileName));
    }
    program = std::make_unique<Program>(kTestLockWait);
    return program->form1();
}

const QObject *ProgramTest::mainWindow() const {
    return &program->form1();
}
