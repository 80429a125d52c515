#include "Unit2.h"

#include "DataFiles.h"
#include "EditorText.h"
#include "Icons.h"
#include "Seams.h"
#include "WidgetMessages.h"
#include "WindowBehaviour.h"
#include "ui_Unit2.h"

#include <QIcon>
#include <QTextDocument>

TForm2::TForm2(QWidget *parent) : QWidget(parent, fixedWindowFlags()), ui(std::make_unique<Ui::TForm2>()) {
    ui->setupUi(this);
    setFixedSize(218, 481);
    move(344, 120);

    m_tabs = {{
        {ui->Memo3, ui->Label3, ui->Button3, ui->BitBtn3, DataFile::Teams45},
        {ui->Memo4, ui->Label4, ui->Button4, ui->BitBtn4, DataFile::Teams4},
        {ui->Memo1, ui->Label1, ui->Button1, ui->BitBtn1, DataFile::Teams5},
        {ui->Memo2, ui->Label2, ui->Button2, ui->BitBtn2, DataFile::NatTeams45},
        {ui->Memo5, ui->Label5, ui->Button5, ui->BitBtn5, DataFile::NatTeams5},
    }};
    const QIcon check = checkMarkIcon();
    for (const Tab &tab : m_tabs) {
        tab.ok->setIcon(check);
        connect(tab.edit, &QPushButton::clicked, this, [this, &tab] { ButtonClick(tab); });
        connect(tab.ok, &QPushButton::clicked, this, [this, &tab] { BitBtnClick(tab); });
    }
}

TForm2::~TForm2() = default;

void TForm2::openLists() {
    bringToFront(this);
    // Unsaved edits are replaced by the files; a tab keeps its viewing or editing state.
    for (const Tab &tab : m_tabs) {
        const Result<EditorText> list = loadEditorText(tab.file);
        if (!list.ok()) {
            messages().error(list.error());
            return;
        }
        tab.memo->setPlainText(list.value().text);
        tab.count->setText(lineCountCaption(list.value().lines));
        tab.count->adjustSize();
    }
}

void TForm2::ButtonClick(const Tab &tab) {
    tab.memo->setReadOnly(false);
    tab.edit->setEnabled(false);
    tab.ok->setEnabled(true);
    tab.memo->setFocus();
}

void TForm2::BitBtnClick(const Tab &tab) {
    // The raw text keeps no-break spaces, which the plain text would turn into spaces.
    const Result<QByteArray> bytes = editorBytes(tab.memo->document()->toRawText(), tab.file);
    if (!bytes.ok()) {
        // Nothing is written and the tab stays in editing, so the line can be mended.
        messages().error(bytes.error());
        return;
    }
    tab.memo->setReadOnly(true);
    const Status written = writeFileBytes(tab.file, bytes.value());
    if (!written.ok()) {
        // OK stays enabled so that the save can be tried again.
        messages().error(written.error());
        return;
    }
    tab.edit->setEnabled(true);
    tab.ok->setEnabled(false);
}
