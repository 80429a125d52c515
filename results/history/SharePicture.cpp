#include "SharePicture.h"

#include "Elide.h"
#include "HistoryText.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <algorithm>
#include <numeric>

namespace {

constexpr int kMargin = 48;
constexpr int kGap = 14;
const QColor kInk(0x1c, 0x23, 0x33);
const QColor kQuiet(0x5d, 0x67, 0x7a);
const QColor kAccent(0x1f, 0x6f, 0xb4);

QFont pictureFont(int pixels, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(pixels);
    font.setBold(bold);
    return font;
}

// The lines of the picture, laid out top to bottom before anything is drawn,
// so that the picture is exactly as high as its text.
class Layout {
public:
    struct Line {
        QString text;
        QFont font;
        QColor colour;
        int top;
        int height;
    };

    void add(const QString &text, const QFont &font, const QColor &colour, int gapBefore = kGap) {
        const QFontMetrics metrics(font);
        const QString shown = metrics.elidedText(text, Qt::ElideRight, kSharePictureWidth - 2 * kMargin);
        m_bottom += gapBefore;
        m_lines.push_back({shown, font, colour, m_bottom, metrics.height()});
        m_bottom += metrics.height();
    }

    SharePicture draw() const {
        SharePicture picture;
        picture.image = QImage(kSharePictureWidth, m_bottom + kMargin, QImage::Format_RGB32);
        picture.image.fill(Qt::white);
        QPainter painter(&picture.image);
        painter.setRenderHint(QPainter::TextAntialiasing);
        painter.fillRect(0, 0, kSharePictureWidth, 12, kAccent);
        for (const Line &line : m_lines) {
            painter.setFont(line.font);
            painter.setPen(line.colour);
            const QRect box(kMargin, line.top, kSharePictureWidth - 2 * kMargin, line.height);
            painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, line.text);
            picture.texts.emplace_back(line.text, box);
        }
        return picture;
    }

private:
    std::vector<Line> m_lines;
    int m_bottom = kMargin;
};

// Names are cut as everywhere else before the line is laid out: a name of
// 100,000 characters would otherwise cost the layout seconds.
QString withTeam(const BookRow &row) {
    return row.team.isEmpty() ? elided(row.player)
                              : QStringLiteral("%1 («%2»)").arg(elided(row.player), elided(row.team));
}

} // namespace

SharePicture drawSharePicture(const LeagueTournament &tournament, const PerPlayer<double> &ratingChanges,
                              const PerPlayer<double> &ratingsAfter) {
    Layout layout;
    layout.add(QStringLiteral("Турнир %1").arg(leagueDate(tournament.written)), pictureFont(56, true), kInk, 0);
    layout.add(QStringLiteral("Игроки и команды"), pictureFont(30, true), kAccent, 2 * kGap);
    for (const BookRow &row : tournament.rows) {
        layout.add(withTeam(row), pictureFont(34), kInk);
    }
    layout.add(QStringLiteral("Матчи"), pictureFont(30, true), kAccent, 2 * kGap);
    int number = 0;
    for (const Match &match : tournament.matches) {
        // One pass of arg(): a name holding "%3" stays as it is.
        layout.add(QStringLiteral("%1. %2  %3:%4  %5")
                       .arg(QString::number(++number), elided(tournament.player(match.homeRow)),
                            QString::number(match.homeGoals), QString::number(match.awayGoals),
                            elided(tournament.player(match.awayRow))),
                   pictureFont(34), kInk);
    }
    layout.add(QStringLiteral("Итоговая таблица"), pictureFont(30, true), kAccent, 2 * kGap);
    std::array<std::size_t, kPlayers> order{};
    std::iota(order.begin(), order.end(), std::size_t{0});
    std::stable_sort(order.begin(), order.end(), [&tournament](std::size_t a, std::size_t b) {
        return tournament.rows[a].place < tournament.rows[b].place;
    });
    for (const std::size_t k : order) {
        const BookRow &row = tournament.rows[k];
        // The name on a line of its own, so that a long one is cut there and
        // never takes the figures with it.
        layout.add(QStringLiteral("%1. %2").arg(QString::number(row.place), elided(row.player)),
                   pictureFont(34, row.place == 1), kInk);
        layout.add(QStringLiteral("%1 очк., мячи %2, рейтинг %3 (%4)")
                       .arg(QString::number(row.points), goals(row.scored, row.conceded),
                            russianNumber(ratingsAfter[k], 0), signedNumber(ratingChanges[k], 1)),
                   pictureFont(30), kQuiet, 2);
    }
    layout.add(QStringLiteral("Korvana 3"), pictureFont(kSmallestShareText), kQuiet, 2 * kGap);
    return layout.draw();
}

QByteArray sharePictureBytes(const QImage &image) {
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "PNG");
    return bytes;
}
