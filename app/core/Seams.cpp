#include "Seams.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <cstdio>

namespace {

class StandardErrorMessages final : public Messages {
public:
    void information(const QString &text) override { print(text); }
    void error(const QString &text) override { print(text); }
    Answer askYesNo(const QString &text) override {
        print(text);
        return Answer::No;
    }
    Answer askYesNoCancel(const QString &text) override {
        print(text);
        return Answer::Cancel;
    }
    Answer askOkCancel(const QString &text) override {
        print(text);
        return Answer::Cancel;
    }

private:
    static void print(const QString &text) { std::fprintf(stderr, "%s\n", text.toLocal8Bit().constData()); }
};

StandardErrorMessages fallbackMessages;
Messages *currentMessages = &fallbackMessages;

std::function<void(int)> programEnd;
std::optional<int> pendingEnd;
std::function<bool(const QUrl &)> desktopOpener;

} // namespace

Messages &messages() {
    return *currentMessages;
}

void setMessages(Messages *replacement) {
    currentMessages = replacement ? replacement : &fallbackMessages;
}

void endProgram(int exitCode) {
    if (programEnd) {
        programEnd(exitCode);
        return;
    }
    if (QCoreApplication::instance() && QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(exitCode);
        return;
    }
    // No event loop yet: leaving at once would skip the destruction of the
    // windows and their database connection, so the entry ends the program.
    if (!pendingEnd) {
        pendingEnd = exitCode;
    }
}

std::optional<int> pendingProgramEnd() {
    return pendingEnd;
}

void setProgramEnd(std::function<void(int)> handler) {
    programEnd = std::move(handler);
}

bool openWithDesktop(const QUrl &url) {
    return desktopOpener ? desktopOpener(url) : false;
}

void setDesktopOpener(std::function<bool(const QUrl &)> opener) {
    desktopOpener = std::move(opener);
}

void Random::seedFromClock() {
    if (m_fixed) {
        return;
    }
    // Seeding twice within one clock tick must not repeat a sequence, so the
    // number of reseeds goes into the seed as well.
    const auto ticks = static_cast<std::uint64_t>(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    std::seed_seq seq{static_cast<std::uint32_t>(ticks), static_cast<std::uint32_t>(ticks >> 32),
                      static_cast<std::uint32_t>(++m_reseeds)};
    m_engine.seed(seq);
}

int Random::below(int n) {
    Q_ASSERT(n > 0);
    std::uniform_int_distribution<int> distribution(0, n - 1);
    return distribution(m_engine);
}

void Random::fix(std::uint64_t seed) {
    m_engine.seed(seed);
    m_fixed = true;
}

Random &randomGenerator() {
    static Random generator;
    return generator;
}
