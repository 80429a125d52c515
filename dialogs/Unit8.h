#pragma once

#include <QByteArray>
#include <QWidget>
#include <memory>

class QLabel;

namespace Ui {
class TForm8;
}

// The used-teams log window: the log in a memo that can be edited, saved and
// cleared, and a marker for each team list, red when the list counts as
// exhausted against the log and green when not. An ordinary resizable window
// whose controls keep their places. Created hidden at start-up and kept for the
// whole run; closing it only hides it, and editing stays switched on.
class TForm8 : public QWidget {
    Q_OBJECT

public:
    explicit TForm8(QWidget *parent = nullptr);
    ~TForm8() override;

    inline static const QString kLogChangedQuestion =
        QStringLiteral("Файл all_last.txt изменился после того, как окно его показало (например, «Расписание» "
                       "добавило команды). Записать текст из окна поверх файла?\n\n«Нет» — ничего не записывать и "
                       "показать файл, какой он сейчас, чтобы внести правку заново.");

public slots:
    // Loads the log, colours the markers and shows the window. A file that
    // cannot be read stops there, and the window is not shown.
    void openLog();

private:
    void showLog(const QByteArray &bytes);
    void Button1Click(); // "Править"
    void Button2Click(); // "Очистить"
    void Button3Click(); // "Сохранить"

    std::unique_ptr<Ui::TForm8> ui;
    QByteArray m_shownLog; // the log as the memo was filled from it, or as last saved
};
