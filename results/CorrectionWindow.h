#pragma once

#include "CorrectionPreview.h"
#include "Tournament.h"

#include <QDialog>
#include <array>
#include <memory>

class QLabel;
class QLineEdit;
class QPushButton;
class QTableWidget;
class StatsConnection;

// "Исправить турнир": the six scores of one tournament of the book in the
// layout of the result window's score boxes, filled with what the book holds.
// Every change of a score shows at once what saving would change: the
// tournament's new table, each player's row of the statistics table, the
// current ratings and the records. "Сохранить" asks first and saves the
// correction in one transaction; the window then closes and says so through
// corrected().
class CorrectionWindow : public QDialog {
    Q_OBJECT

public:
    // The connection must outlive the window.
    CorrectionWindow(const StatsConnection &connection, std::unique_ptr<CorrectionPreviewer> previewer,
                     QWidget *parent = nullptr);
    ~CorrectionWindow() override;

    // The scores as the boxes hold them, in the order of the result window's
    // Edit1 to Edit12.
    ScoreTexts scoreTexts() const;

signals:
    // The correction was saved: the book and "stat" changed.
    void corrected();

private:
    void buildLayout();
    void fill();
    void scoresChanged();
    void saveClick();
    void showPreview(const CorrectionPreview &preview);

    const StatsConnection &m_connection;
    std::unique_ptr<CorrectionPreviewer> m_previewer;
    std::array<QLineEdit *, kScoreBoxes> m_boxes{};
    // The new table beside the boxes: per row, the seven figures, the player and the place.
    std::array<std::array<QLabel *, 9>, kPlayers> m_table{};
    QLabel *m_state = nullptr;
    QTableWidget *m_stat = nullptr;
    QTableWidget *m_ratings = nullptr;
    QTableWidget *m_records = nullptr;
    QPushButton *m_save = nullptr;
};
