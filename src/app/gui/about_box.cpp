#include "app/gui/about_box.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>

#include "base/gui/ui_text.h"
#include "base/gui/window_frame.h"
#include "base/string_ids.h"
#include "trovel_version.h"
#include "editor/gui/chart_style.h"

namespace trovel {

VersionInfo studioVersion() {
    VersionInfo info;
    info.product = QStringLiteral("TrovelStudio");
    info.version = QStringLiteral(TROVEL_VERSION);
    info.company = QStringLiteral("Trovel Project");
    info.copyright = QStringLiteral("Copyright (C) 2024 Trovel Project");
    info.comment = uiText(Str::AboutDescription);
    return info;
}

AboutBox::AboutBox(const VersionInfo& info, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(uiText(Str::AboutTitle));
    setDialogFrame(this);
    setFont(chartFont(QStringLiteral("MS UI Gothic"), 12, 400));
    auto* layout = new QGridLayout(this);
    auto* icon = new QLabel(this);
    icon->setObjectName(QStringLiteral("icon"));
    icon->setPixmap(applicationIcon().pixmap(QSize(64, 64)));
    icon->setAlignment(Qt::AlignTop);
    layout->addWidget(icon, 0, 0, 5, 1);
    const std::pair<int, QString> fields[] = {
        {1028, info.product},
        {1029, uiFormat(Str::AboutVersion, {toU16(info.version)})},
        {1030, uiFormat(Str::AboutCompany, {toU16(info.company)})},
        {1031, uiFormat(Str::AboutCopyright, {toU16(info.copyright)})},
        {1032, uiFormat(Str::AboutComment, {toU16(info.comment)})},
    };
    int row = 0;
    for (const auto& [id, text] : fields) {
        // The texts separate caption and value with tabs; a label cannot keep tab stops, a grid can.
        const qsizetype tab = text.indexOf(QLatin1Char('\t'));
        QString caption = tab < 0 ? QString() : text.left(tab);
        QString value = tab < 0 ? text : text.mid(tab);
        while (value.startsWith(QLatin1Char('\t'))) value.remove(0, 1);
        auto* captionLabel = new QLabel(caption, this);
        captionLabel->setObjectName(QStringLiteral("caption%1").arg(id));
        captionLabel->setTextFormat(Qt::PlainText);
        auto* label = new QLabel(value, this);
        label->setObjectName(QStringLiteral("label%1").arg(id));
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(captionLabel, row, 1);
        layout->addWidget(label, row, 2);
        ++row;
    }
    layout->setColumnStretch(2, 1);
    layout->setHorizontalSpacing(12);
    auto* ok = new QPushButton(uiText(Str::ButtonOk), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, row, 0, 1, 3, Qt::AlignRight);
}

}  // namespace trovel
