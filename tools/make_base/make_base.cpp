// Build tool: makes the empty statistics database from the schema kept in the
// repository, so that no binary database is committed.
//   korvana_make_base SCHEMA.sql OUTPUT.mdb
#include "DataFiles.h"
#include "StatsConnection.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>

int main(int argc, char *argv[]) {
    QCoreApplication application(argc, argv);
    const QStringList arguments = QCoreApplication::arguments();
    if (arguments.size() != 3) {
        std::fprintf(stderr, "usage: korvana_make_base SCHEMA.sql OUTPUT.mdb\n");
        return 2;
    }
    const Result<QByteArray> schema = readFileBytes(arguments[1]);
    if (!schema.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(schema.error()));
        return 1;
    }
    // A new file every time: an older build's database is replaced, not extended.
    QFile::remove(arguments[2]);
    const Status made = createStatsDatabase(arguments[2], QString::fromUtf8(schema.value()));
    if (!made.ok()) {
        std::fprintf(stderr, "%s\n", qPrintable(made.error()));
        return 1;
    }
    return 0;
}
