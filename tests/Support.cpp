#include "Support.h"

#include "Cp1251.h"

#include <QDir>
#include <QFile>
#include <csignal>
#include <sys/resource.h>

QByteArray cp(const char *utf8) {
    return toCp1251(QString::fromUtf8(utf8)).value();
}

void ScriptedMessages::information(const QString &text) {
    shown.push_back({Kind::Information, text});
    if (onShow) {
        onShow();
    }
}

void ScriptedMessages::error(const QString &text) {
    shown.push_back({Kind::Error, text});
    if (onShow) {
        onShow();
    }
}

Messages::Answer ScriptedMessages::askYesNo(const QString &text) {
    return ask(Kind::YesNo, text);
}

Messages::Answer ScriptedMessages::askYesNoCancel(const QString &text) {
    return ask(Kind::YesNoCancel, text);
}

Messages::Answer ScriptedMessages::askOkCancel(const QString &text) {
    return ask(Kind::OkCancel, text);
}

Messages::Answer ScriptedMessages::ask(Kind kind, const QString &text) {
    shown.push_back({kind, text});
    if (onShow) {
        onShow();
    }
    if (answers.empty()) {
        ADD_FAILURE() << "unexpected question: " << text.toStdString();
        return Answer::Cancel;
    }
    const Answer answer = answers.front();
    answers.pop_front();
    return answer;
}

QStringList ScriptedMessages::texts() const {
    QStringList list;
    for (const Shown &box : shown) {
        list.append(box.text);
    }
    return list;
}

void WorkDirTest::SetUp() {
    ASSERT_TRUE(dir.isValid());
    previousDir = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    setMessages(&boxes);
    setProgramEnd([this](int code) { endedWith.push_back(code); });
    setDesktopOpener([this](const QUrl &url) {
        opened.push_back(url);
        return desktopAccepts;
    });
    randomGenerator().fix(20261208);
}

void WorkDirTest::TearDown() {
    EXPECT_TRUE(boxes.answers.empty()) << "questions that were expected but not asked";
    setMessages(nullptr);
    setProgramEnd({});
    setDesktopOpener({});
    QDir::setCurrent(previousDir);
}

void WorkDirTest::write(const QString &name, const QByteArray &bytes) const {
    QFile file(path(name));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

void WorkDirTest::writeLines(const QString &name, const Lines &lines) const {
    write(name, joinLines(lines));
}

QByteArray WorkDirTest::read(const QString &name) const {
    QFile file(path(name));
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << name.toStdString();
        return {};
    }
    return file.readAll();
}

QString WorkDirTest::path(const QString &name) const {
    return dir.filePath(name);
}

void WorkDirTest::writeStandardFiles(int n4, int n45, int n5, int nat45, int nat5) {
    writeLines(DataFile::Teams4, teams("teams4", n4));
    writeLines(DataFile::Teams45, teams("teams45", n45));
    writeLines(DataFile::Teams5, teams("teams5", n5));
    writeLines(DataFile::NatTeams45, teams("natteams45", nat45));
    writeLines(DataFile::NatTeams5, teams("natteams5", nat5));
    write(DataFile::UsedTeamsLog, {});
    write(DataFile::Gift, {});
    writeLines(DataFile::LastTournament, {cp("Ливерпуль"), cp("Наполи"), cp("Зенит"), "01.12.2026"});
    writeSettings(
        {"0", "clubs", "[players]", cp("Вася"), cp("Петя"), cp("Коля"), "[gift]", "1", "[log all teams]", "1"});
}

Lines teams(const QByteArray &prefix, int n) {
    Lines lines;
    for (int i = 1; i <= n; ++i) {
        lines.append(prefix + '-' + QByteArray::number(i));
    }
    return lines;
}

FileSizeLimit::FileSizeLimit(long long bytes) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    m_soft = limit.rlim_cur;
    m_handler = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = static_cast<rlim_t>(bytes);
    EXPECT_EQ(setrlimit(RLIMIT_FSIZE, &limit), 0);
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = static_cast<rlim_t>(m_soft);
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, m_handler);
}

QString writeScript(const QString &folder, const QString &name, const QByteArray &body) {
    QFile file(QDir(folder).filePath(name));
    EXPECT_TRUE(file.open(QIODevice::WriteOnly)) << name.toStdString();
    file.write("#!/bin/sh\n" + body);
    file.close();
    file.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    return file.fileName();
}

QStringList folderEntries(const QString &folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot, QDir::Name);
}
