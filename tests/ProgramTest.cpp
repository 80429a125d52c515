#include "ProgramTest.h"

#include "DataFiles.h"
#include "StatsDatabase.h"
#include "Unit1.h"

#include <QFileInfo>
#include <QSqlError>
#include <QSqlQuery>
#include <QSqlRecord>

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

TForm1 &ProgramTest::start() {
    if (makeDatabase && !QFileInfo::exists(path(StatsDb::FileName))) {
        makeStatsDatabase(path(StatsDb::FileName));
    }
    program = std::make_unique<Program>();
    return *program->Form1;
}

const QObject *ProgramTest::mainWindow() const {
    return program->Form1.get();
}
