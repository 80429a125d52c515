#include "SheetPreview.h"

#include "DesktopApplications.h"
#include "Seams.h"
#include "SheetPage.h"
#include "WindowBehaviour.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewWidget>
#include <QPrinter>
#include <QPushButton>
#include <QVBoxLayout>

SheetPreview::SheetPreview(QWidget *parent)
    : QWidget(parent, Qt::Window), m_printer(std::make_unique<QPrinter>(QPrinter::HighResolution)) {
    setObjectName(QStringLiteral("SheetPreview"));
    setWindowTitle(QStringLiteral("Лист турнира"));
    closeOnEscape(this);
    setSheetPageLayout(*m_printer);
    m_printer->setDocName(QStringLiteral("Турнир"));

    m_preview = new QPrintPreviewWidget(m_printer.get(), this);
    m_preview->setObjectName(QStringLiteral("Preview"));
    m_preview->setZoomMode(QPrintPreviewWidget::FitInView);
    connect(m_preview, &QPrintPreviewWidget::paintRequested, this, [this](QPrinter *printer) {
        QPainter painter(printer);
        paintSheetPage(painter, *printer, m_sheet);
    });

    auto *printButton = new QPushButton(QStringLiteral("Печать"), this);
    printButton->setObjectName(QStringLiteral("PrintButton"));
    auto *saveButton = new QPushButton(QStringLiteral("Сохранить PDF..."), this);
    saveButton->setObjectName(QStringLiteral("SaveButton"));
    connect(printButton, &QPushButton::clicked, this, &SheetPreview::print);
    connect(saveButton, &QPushButton::clicked, this, &SheetPreview::savePdf);

    auto *buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(printButton);
    buttons->addWidget(saveButton);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(m_preview, 1);
    layout->addLayout(buttons);
    resize(620, 820);
}

SheetPreview::~SheetPreview() = default;

void SheetPreview::showSheet(const TournamentSheet &sheet) {
    m_sheet = sheet;
    // The date tells a sheet of today from one that a restart found in "last.txt".
    setWindowTitle(sheet.date.isEmpty() ? QStringLiteral("Лист турнира")
                                        : QStringLiteral("Лист турнира от %1").arg(sheet.date));
    m_preview->updatePreview();
    show();
    raise();
    activateWindow();
}

void SheetPreview::setFileChooser(FileChooser chooser) {
    m_chooseFile = std::move(chooser);
}

void SheetPreview::print() {
    QPrintDialog dialog(m_printer.get(), this);
    if (dialog.exec() != QDialog::Accepted) {
        return;
    }
    QPainter painter;
    if (!painter.begin(m_printer.get())) {
        messages().error(QStringLiteral("Не удалось начать печать листа турнира."));
        return;
    }
    paintSheetPage(painter, *m_printer, m_sheet);
    if (!painter.end()) {
        messages().error(QStringLiteral("Лист турнира не удалось отправить на печать."));
    }
}

QString SheetPreview::chooseFileWithDialog() {
    // The program asks before replacing, once, about the name it will write.
    return QFileDialog::getSaveFileName(this, QStringLiteral("Сохранить лист турнира"),
                                        QDir::home().filePath(QStringLiteral("Турнир.pdf")),
                                        QStringLiteral("PDF (*.pdf)"), nullptr, QFileDialog::DontConfirmOverwrite);
}

void SheetPreview::savePdf() {
    const QString chosen = m_chooseFile ? m_chooseFile() : chooseFileWithDialog();
    if (chosen.isEmpty()) {
        return;
    }
    const QString file = pdfFileName(chosen);
    const QFileInfo info(file);
    const QString shown = QDir::toNativeSeparators(info.absoluteFilePath());
    if ((info.exists() || info.isSymLink()) &&
        messages().askYesNo(QStringLiteral("Файл %1 уже есть. Заменить его?").arg(shown)) != Messages::Answer::Yes) {
        return;
    }
    if (const Status written = writeSheetPdf(m_sheet, file); !written.ok()) {
        messages().error(QStringLiteral("Лист турнира не сохранён в PDF.\n%1").arg(written.error()));
        return;
    }
    tellSavedAndOfferFolder(QStringLiteral("Лист турнира сохранён в файл %1").arg(shown), info.absolutePath());
}
