#include "Unit8.h"

#include "DataFiles.h"
#include "EditorText.h"
#include "Pool.h"
#include "Seams.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit8.h"

#include <QColor>
#include <QPalette>
#include <QTextDocument>

namespace {

void showExhausted(QLabel *marker, bool exhausted) {
    QPalette palette = marker->palette();
    palette.setColor(QPalette::Window, exhausted ? QColor(255, 0, 0) : QColor(0, 128, 0));
    marker->setPalette(palette);
    marker->setAutoFillBackground(true);
}

} // namespace

// The form's size in Unit8.ui is the area inside the frame: an outer size of
// 315 x 514 less a sizeable border of 4 pixels on each side and a title bar of 19.
TForm8::TForm8(QWidget *parent) : QWidget(parent, Qt::Window), ui(std::make_unique<Ui::TForm8>()) {
    ui->setupUi(this);
    move(212, 113);
    // The colour stands behind the caption only.
    for (QLabel *marker : {ui->Label1, ui->Label5, ui->Label4, ui->Label3, ui->Label2}) {
        marker->adjustSize();
    }
    connect(ui->Button1, &QPushButton::clicked, this, &TForm8::Button1Click);
    connect(ui->Button2, &QPushButton::clicked, this, &TForm8::Button2Click);
    connect(ui->Button3, &QPushButton::clicked, this, &TForm8::Button3Click);
}

TForm8::~TForm8() = default;

void TForm8::openLog() {
    const Result<QByteArray> log = readFileBytes(DataFile::UsedTeamsLog);
    if (!log.ok()) {
        messages().error(log.error());
        return;
    }
    showLog(log.value());

    const UsedTeams used{log.value()};
    const std::array<std::pair<QLabel *, QString>, 5> markers = {{
        {ui->Label1, DataFile::NatTeams45},
        {ui->Label5, DataFile::NatTeams5},
        {ui->Label4, DataFile::Teams4},
        {ui->Label3, DataFile::Teams45},
        {ui->Label2, DataFile::Teams5},
    }};
    for (const auto &[marker, file] : markers) {
        const Result<QByteArray> list = readFileBytes(file);
        if (!list.ok()) {
            messages().error(list.error());
            return;
        }
        showExhausted(marker, isExhausted(countList(list.value(), used)));
    }
    bringToFront(this);
}

void TForm8::showLog(const QByteArray &bytes) {
    m_shownLog = bytes;
    ui->Memo1->setPlainText(editorText(bytes).text);
}

void TForm8::Button1Click() {
    ui->Memo1->setReadOnly(false);
    ui->Button3->setEnabled(true);
    ui->Button1->setEnabled(false);
    ui->Memo1->setFocus();
}

void TForm8::Button2Click() {
    if (messages().askYesNo(QStringLiteral("Are you sure?")) != Messages::Answer::Yes) {
        return;
    }
    const Status emptied = writeFileBytes(DataFile::UsedTeamsLog, QByteArray());
    if (!emptied.ok()) {
        messages().error(emptied.error());
        return;
    }
    // The markers and the editing state stay as they are.
    const Result<QByteArray> log = readFileBytes(DataFile::UsedTeamsLog);
    if (!log.ok()) {
        messages().error(log.error());
        return;
    }
    showLog(log.value());
}

void TForm8::Button3Click() {
    // The raw text keeps no-break spaces, which the plain text would turn into spaces.
    const Result<QByteArray> bytes = editorBytes(ui->Memo1->document()->toRawText(), DataFile::UsedTeamsLog);
    if (!bytes.ok()) {
        messages().error(bytes.error());
        return;
    }
    // "Расписание" appends to the log while the window is open; those teams are
    // not overwritten without asking.
    const Result<QByteArray> onDisk = readFileBytes(DataFile::UsedTeamsLog);
    if (!onDisk.ok() || onDisk.value() != m_shownLog) {
        if (messages().askYesNo(kLogChangedQuestion) != Messages::Answer::Yes) {
            if (onDisk.ok()) {
                showLog(onDisk.value());
            }
            return;
        }
    }
    const Status written = writeFileBytes(DataFile::UsedTeamsLog, bytes.value());
    if (!written.ok()) {
        messages().error(written.error());
        return;
    }
    m_shownLog = bytes.value();
    // The markers keep their colours until the window is opened again.
    ui->Memo1->setReadOnly(true);
    ui->Button3->setEnabled(false);
    ui->Button1->setEnabled(true);
}
