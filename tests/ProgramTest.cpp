#include "ProgramTest.h"

#include "DataFiles.h"
#include "StatsDatabase.h"
#include "Unit1.h"

#include <QFileInfo>

void makeStatsDatabase(const QString &fileName) {
    const Result<QByteArray> schema = readFileBytes(QStringLiteral(KORVANA_SCHEMA));
    ASSERT_TRUE(schema.ok()) << schema.error().toStdString();
    const Status made = createStatsDatabase(fileName, QString::fromUtf8(schema.value()));
    ASSERT_TRUE(made.ok()) << made.error().toStdString();
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
