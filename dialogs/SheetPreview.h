#pragma once

#include "TournamentSheet.h"

#include <QWidget>
#include <functional>
#include <memory>

class QPrinter;
class QPrintPreviewWidget;
class QPushButton;

// The tournament sheet as the program draws it, on screen before printing, with
// "Печать" (the system's print dialog, then the printer) and "Сохранить PDF...".
// It is shown without blocking the other windows; closing it only hides it.
class SheetPreview : public QWidget {
    Q_OBJECT

public:
    explicit SheetPreview(QWidget *parent = nullptr);
    ~SheetPreview() override;

    // Shows the sheet, or shows it again with new values, and brings the window up.
    void showSheet(const TournamentSheet &sheet);
    const TournamentSheet &sheet() const { return m_sheet; }

    // Asks where to save the PDF; an empty answer cancels. The file dialog unless
    // another chooser is installed; an empty function restores it.
    using FileChooser = std::function<QString()>;
    void setFileChooser(FileChooser chooser);

    QPrintPreviewWidget *previewWidget() const { return m_preview; }

private:
    void print();
    void savePdf();
    QString chooseFileWithDialog();

    TournamentSheet m_sheet;
    std::unique_ptr<QPrinter> m_printer;
    QPrintPreviewWidget *m_preview = nullptr;
    FileChooser m_chooseFile;
};
