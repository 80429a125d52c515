#include "CorrectionWindow.h"

#include "BookCorrection.h"
#include "Elide.h"
#include "HistoryText.h"
#include "Seams.h"
#include "StatWrites.h"
#include "WaitCursor.h"
#include "WindowBehaviour.h"

#include <QDateTime>
#include <QFrame>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace {

// The columns of the new table beside the boxes, as the result window shows them.
constexpr std::array<const char16_t *, 9> kTableTitles = {u"Забито", u"Пропущено", u"Разница", u"Очки", u"Побед",
                                                          u"Ничьих", u"Поражений", u"Игрок",   u"Место"};

std::array<qint64, 7> shownFigures(const BookRow &r) {
    return {r.scored, r.conceded, r.difference, r.points, r.wins, r.draws, r.losses};
}

// A figure that changes reads "old → new".
QString change(qint64 before, qint64 after) {
    return before == after ? QString::number(after) : QStringLiteral("%1 → %2").arg(before).arg(after);
}

// The most characters of a row's or a column's title beside the boxes.
constexpr qsizetype kTitleLength = 24;

// A title or a name beside the boxes: cut short, so that the boxes and the
// table stay on screen, and whole in the tooltip.
void showTitle(QLabel *label, const QString &title) {
    const QString shown = elided(title, kTitleLength);
    label->setText(shown);
    label->setToolTip(shown.size() == title.size() ? QString() : title);
}

QString titleOf(const BookRow &row) {
    return row.team.isEmpty() ? row.player : row.team;
}

QString holdingText(const std::optional<RecordHolding> &holding) {
    if (!holding) {
        return QStringLiteral("—");
    }
    return QStringLiteral("%1: %2 (%3)").arg(holding->holder, holding->value, leagueDate(holding->written));
}

QTableWidget *makeTable(const QStringList &titles, const char *name) {
    auto *table = new QTableWidget(0, static_cast<int>(titles.size()));
    table->setObjectName(QString::fromLatin1(name));
    table->setHorizontalHeaderLabels(titles);
    table->verticalHeader()->hide();
    table->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table->setSelectionMode(QAbstractItemView::NoSelection);
    table->setFocusPolicy(Qt::NoFocus);
    fitRowsToFont(table);
    return table;
}

void setChangedItem(QTableWidget *table, int row, int column, const QString &text, bool changed) {
    setItem(table, row, column, text);
    if (changed) {
        QFont font = table->font();
        font.setBold(true);
        table->item(row, column)->setFont(font);
    }
}

} // namespace

CorrectionWindow::CorrectionWindow(const StatsConnection &connection, std::unique_ptr<CorrectionPreviewer> previewer,
                                   QWidget *parent)
    : QDialog(parent), m_connection(connection), m_previewer(std::move(previewer)) {
    setObjectName(QStringLiteral("CorrectionWindow"));
    setAttribute(Qt::WA_DeleteOnClose);
    const TournamentToCorrect &t = m_previewer->tournament();
    setWindowTitle(QStringLiteral("Исправить турнир от %1").arg(leagueDate(t.written)));
    buildLayout();
    fill();
    scoresChanged();
}

CorrectionWindow::~CorrectionWindow() = default;

void CorrectionWindow::buildLayout() {
    const TournamentToCorrect &t = m_previewer->tournament();
    auto *layout = new QVBoxLayout(this);
    auto *heading = new QLabel(
        QStringLiteral("Турнир %1: %2, %3, %4. Впишите верный счёт: ниже видно, что "
                       "изменится, до того как вы сохраните.")
            .arg(shownTime(t.written), elided(t.rows[0].player), elided(t.rows[1].player), elided(t.rows[2].player)));
    heading->setObjectName(QStringLiteral("Heading"));
    heading->setTextFormat(Qt::PlainText);
    heading->setWordWrap(true);
    heading->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(heading);

    // The cross table of the result window: row and column i are the same
    // participant; the diagonal is a grey box; the new table follows on the right.
    auto *grid = new QGridLayout;
    grid->setHorizontalSpacing(10);
    for (int k = 0; k < kPlayers; ++k) {
        auto *column = new QLabel;
        auto *row = new QLabel;
        column->setTextFormat(Qt::PlainText);
        row->setTextFormat(Qt::PlainText);
        for (QLabel *label : {column, row}) {
            showTitle(label, titleOf(t.rows[static_cast<std::size_t>(k)]));
        }
        grid->addWidget(column, 0, k + 1, Qt::AlignCenter);
        grid->addWidget(row, k + 1, 0);
    }
    for (int r = 1; r <= kPlayers; ++r) {
        auto *diagonal = new QLineEdit;
        diagonal->setEnabled(false);
        diagonal->setFixedWidth(80);
        grid->addWidget(diagonal, r, r);
    }
    for (const MatchCell &cell : kMatchCells) {
        auto *pair = new QHBoxLayout;
        for (const int box : {cell.homeBox, cell.awayBox}) {
            auto *edit = new QLineEdit;
            edit->setObjectName(QStringLiteral("Edit%1").arg(box + 1));
            edit->setFixedWidth(36);
            edit->setAlignment(Qt::AlignCenter);
            edit->setMaxLength(6);
            m_boxes[static_cast<std::size_t>(box)] = edit;
            pair->addWidget(edit);
            if (box == cell.homeBox) {
                pair->addWidget(new QLabel(QStringLiteral("-")));
            }
            connect(edit, &QLineEdit::textChanged, this, &CorrectionWindow::scoresChanged);
        }
        pair->addStretch();
        grid->addLayout(pair, cell.homeRow, cell.awayRow);
    }
    for (std::size_t c = 0; c < kTableTitles.size(); ++c) {
        grid->addWidget(new QLabel(QString::fromUtf16(kTableTitles[c])), 0, kPlayers + 2 + static_cast<int>(c),
                        Qt::AlignCenter);
        for (int r = 0; r < kPlayers; ++r) {
            auto *label = new QLabel;
            label->setObjectName(QStringLiteral("Table%1_%2").arg(r + 1).arg(c + 1));
            label->setTextFormat(Qt::PlainText);
            m_table[static_cast<std::size_t>(r)][c] = label;
            grid->addWidget(label, r + 1, kPlayers + 2 + static_cast<int>(c), Qt::AlignCenter);
        }
    }
    grid->setColumnMinimumWidth(kPlayers + 1, 16);
    layout->addLayout(grid);

    m_state = new QLabel;
    m_state->setObjectName(QStringLiteral("State"));
    m_state->setTextFormat(Qt::PlainText);
    m_state->setWordWrap(true);
    // The window's width holds the text, never the other way round.
    m_state->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    layout->addWidget(m_state);

    QStringList statTitles{QStringLiteral("Игрок")};
    for (const QString &column : statFigureColumns()) {
        statTitles.append(column);
    }
    layout->addWidget(new QLabel(QStringLiteral("Таблица статистики (было → станет):")));
    m_stat = makeTable(statTitles, "StatChanges");
    m_stat->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    layout->addWidget(m_stat);

    auto *league = new QHBoxLayout;
    auto *ratingsColumn = new QVBoxLayout;
    ratingsColumn->addWidget(new QLabel(QStringLiteral("Рейтинг сейчас и после исправления:")));
    m_ratings = makeTable(
        {QStringLiteral("Игрок"), QStringLiteral("Сейчас"), QStringLiteral("Станет"), QStringLiteral("Изменение")},
        "RatingChanges");
    ratingsColumn->addWidget(m_ratings);
    auto *recordsColumn = new QVBoxLayout;
    recordsColumn->addWidget(new QLabel(QStringLiteral("Рекорды, что сменят владельца или значение:")));
    m_records =
        makeTable({QStringLiteral("Рекорд"), QStringLiteral("Сейчас"), QStringLiteral("Станет")}, "RecordChanges");
    recordsColumn->addWidget(m_records);
    league->addLayout(ratingsColumn, 2);
    league->addLayout(recordsColumn, 3);
    layout->addLayout(league, 1);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    m_save = new QPushButton(QStringLiteral("&Сохранить"));
    m_save->setObjectName(QStringLiteral("SaveButton"));
    m_save->setAutoDefault(false);
    auto *close = new QPushButton(QStringLiteral("&Закрыть"));
    close->setObjectName(QStringLiteral("CloseButton"));
    close->setAutoDefault(false);
    buttons->addWidget(m_save);
    buttons->addWidget(close);
    layout->addLayout(buttons);
    connect(m_save, &QPushButton::clicked, this, &CorrectionWindow::saveClick);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);
    resize(940, 560);
}

void CorrectionWindow::fill() {
    const TournamentToCorrect &t = m_previewer->tournament();
    for (std::size_t k = 0; k < kMatchCells.size(); ++k) {
        const QSignalBlocker home(m_boxes[static_cast<std::size_t>(kMatchCells[k].homeBox)]);
        const QSignalBlocker away(m_boxes[static_cast<std::size_t>(kMatchCells[k].awayBox)]);
        m_boxes[static_cast<std::size_t>(kMatchCells[k].homeBox)]->setText(QString::number(t.matches[k].homeGoals));
        m_boxes[static_cast<std::size_t>(kMatchCells[k].awayBox)]->setText(QString::number(t.matches[k].awayGoals));
    }
}

ScoreTexts CorrectionWindow::scoreTexts() const {
    ScoreTexts texts;
    for (std::size_t k = 0; k < texts.size(); ++k) {
        texts[k] = m_boxes[k]->text().trimmed();
    }
    return texts;
}

void CorrectionWindow::scoresChanged() {
    const TournamentToCorrect &t = m_previewer->tournament();
    const Result<Matches> matches = parseScores(scoreTexts());
    QString state;
    bool valid = matches.ok();
    if (!matches.ok()) {
        state = matches.error();
    } else if (std::any_of(matches.value().begin(), matches.value().end(),
                           [](const Match &m) { return m.homeGoals < 0 || m.awayGoals < 0; })) {
        state = QStringLiteral("Голов не может быть меньше нуля.");
        valid = false;
    }
    if (valid) {
        showPreview(m_previewer->preview(matches.value()));
        if (!changesScores(t, matches.value())) {
            state = QStringLiteral("Счёт такой же, как в книге: сохранять нечего.");
            valid = false;
        } else {
            state = QStringLiteral("После сохранения статистика, рейтинги и рекорды будут такими, как показано ниже.");
        }
    }
    if (!t.problem.isEmpty()) {
        state = QStringLiteral("Этот турнир сейчас исправить нельзя: %1.").arg(t.problem);
        valid = false;
    }
    m_state->setText(state);
    m_save->setEnabled(valid);
}

void CorrectionWindow::showPreview(const CorrectionPreview &preview) {
    const TournamentToCorrect &t = m_previewer->tournament();
    for (std::size_t r = 0; r < preview.rows.size(); ++r) {
        const std::array<qint64, 7> before = shownFigures(t.rows[r]);
        const std::array<qint64, 7> after = shownFigures(preview.rows[r]);
        for (std::size_t c = 0; c < before.size(); ++c) {
            m_table[r][c]->setText(change(before[c], after[c]));
        }
        showTitle(m_table[r][7], preview.rows[r].player);
        m_table[r][8]->setText(change(t.rows[r].place, preview.rows[r].place));
    }

    m_stat->setRowCount(static_cast<int>(preview.stat.size()));
    for (int row = 0; row < m_stat->rowCount(); ++row) {
        const StatRowChange &s = preview.stat[static_cast<std::size_t>(row)];
        setItem(m_stat, row, 0, s.player);
        for (std::size_t f = 0; f < s.before.size(); ++f) {
            setChangedItem(m_stat, row, static_cast<int>(f) + 1, change(s.before[f], s.after[f]),
                           s.before[f] != s.after[f]);
        }
    }
    fitColumnsToContents(m_stat);
    // The statistics table holds one row per player: as high as its rows, so
    // that the league's tables below get the room.
    m_stat->setFixedHeight(m_stat->horizontalHeader()->height() + m_stat->verticalHeader()->length() +
                           2 * m_stat->frameWidth());

    m_ratings->setRowCount(static_cast<int>(preview.ratings.size()));
    for (int row = 0; row < m_ratings->rowCount(); ++row) {
        const RatingChange &r = preview.ratings[static_cast<std::size_t>(row)];
        const bool moves = russianNumber(r.before, 1) != russianNumber(r.after, 1);
        setItem(m_ratings, row, 0, r.player);
        setItem(m_ratings, row, 1, russianNumber(r.before, 1));
        setChangedItem(m_ratings, row, 2, russianNumber(r.after, 1), moves);
        setChangedItem(m_ratings, row, 3, signedNumber(r.after - r.before, 1), moves);
    }
    fitColumnsToContents(m_ratings);

    m_records->setRowCount(static_cast<int>(preview.records.size()));
    for (int row = 0; row < m_records->rowCount(); ++row) {
        const RecordChange &r = preview.records[static_cast<std::size_t>(row)];
        setItem(m_records, row, 0, r.title);
        setItem(m_records, row, 1, holdingText(r.before));
        setChangedItem(m_records, row, 2, holdingText(r.after), true);
    }
    fitColumnsToContents(m_records);
}

void CorrectionWindow::saveClick() {
    const Result<Matches> matches = parseScores(scoreTexts());
    if (!matches.ok()) {
        messages().error(matches.error());
        return;
    }
    const TournamentToCorrect &t = m_previewer->tournament();
    if (messages().askYesNo(QStringLiteral("Сохранить исправленный счёт турнира от %1 (%2, %3, %4)?\n\nЕго таблица и "
                                           "таблица статистики будут пересчитаны. Исправление можно будет отменить "
                                           "кнопкой «Отменить последнее изменение...».")
                                .arg(leagueDate(t.written), elided(t.rows[0].player), elided(t.rows[1].player),
                                     elided(t.rows[2].player))) != Messages::Answer::Yes) {
        return;
    }
    Status saved;
    {
        const WaitCursor busy;
        saved = correctTournament(m_connection, t, matches.value());
    }
    if (!saved.ok()) {
        messages().error(saved.error());
        return;
    }
    emit corrected();
    accept();
}
