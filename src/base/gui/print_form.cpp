#include "base/gui/print_form.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "base/gui/ui_text.h"
#include "base/paper_size.h"
#include "base/string_ids.h"

namespace trovel {

PaperChoice addPaperRows(QDialog* dialog, QFormLayout* form, bool a3, bool landscape) {
    PaperChoice c;
    c.paper = new QComboBox(dialog);
    c.paper->setObjectName(QStringLiteral("paper"));
    for (Paper p : {Paper::A4, Paper::A3}) c.paper->addItem(QString::fromLatin1(paperName(p).data(), 2), int(p));
    c.paper->setCurrentIndex(a3 ? 1 : 0);
    form->addRow(uiText(Str::PrintPaper), c.paper);
    c.portrait = new QRadioButton(uiText(Str::PrintPortrait), dialog);
    c.portrait->setObjectName(QStringLiteral("portrait"));
    c.landscape = new QRadioButton(uiText(Str::PrintLandscape), dialog);
    c.landscape->setObjectName(QStringLiteral("landscape"));
    (landscape ? c.landscape : c.portrait)->setChecked(true);
    auto* orientation = new QHBoxLayout;
    orientation->addWidget(c.portrait);
    orientation->addWidget(c.landscape);
    orientation->addStretch();
    form->addRow(uiText(Str::PrintOrientation), orientation);
    return c;
}

PrintFooter finishPrintDialog(QDialog* dialog, QFormLayout* form) {
    PrintFooter f;
    f.summary = new QLabel(dialog);
    f.summary->setObjectName(QStringLiteral("summary"));
    f.summary->setWordWrap(true);
    auto* buttons = new QDialogButtonBox(dialog);
    f.ok = buttons->addButton(uiText(Str::ButtonOk), QDialogButtonBox::AcceptRole);
    f.ok->setObjectName(QStringLiteral("ok"));
    buttons->addButton(uiText(Str::ButtonCancel), QDialogButtonBox::RejectRole);
    QObject::connect(buttons, &QDialogButtonBox::accepted, dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, dialog, &QDialog::reject);
    auto* layout = new QVBoxLayout(dialog);
    layout->addLayout(form);
    layout->addWidget(f.summary);
    layout->addWidget(buttons);
    return f;
}

}  // namespace trovel
