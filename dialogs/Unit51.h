#pragma once

#include <QString>
#include <QWidget>
#include <memory>

class QLabel;

namespace Ui {
class TForm5;
}

// The gift catalogue: the pictures of all gifts with their hints. Created
// hidden at start-up and kept for the whole run; closing it only hides it.
class TForm5 : public QWidget {
    Q_OBJECT

public:
    explicit TForm5(QWidget *parent = nullptr);
    ~TForm5() override;

    // Loads the pictures from the given folder, as showCatalogue() does from
    // the folder beside the program; false, after an error message, when a
    // picture cannot be loaded.
    bool showCatalogueFrom(const QString &pictureFolder);

public slots:
    // Reads every picture afresh, sets the hints and shows the window; a
    // window already on screen stays where it is.
    void showCatalogue();

private:
    QLabel *imageCell(int number) const; // ImageN, N from 1

    std::unique_ptr<Ui::TForm5> ui;
};
