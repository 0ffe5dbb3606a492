#include "app/gui/about_box.h"

#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/ui_text.h"
#include "app/string_ids.h"
#include "editor/gui/chart_style.h"

namespace trovel {

VersionInfo studioVersion() {
    VersionInfo info;
    info.product = QStringLiteral("TrovelStudio");
    info.version = QStringLiteral(TROVEL_VERSION);
    info.company = QStringLiteral("Trovel Project");
    info.copyright = QStringLiteral("Copyright (C) 2024 Trovel Project");
    info.comment = QString::fromUtf16(u"ライントレースロボットのプログラミングツール");
    return info;
}

AboutBox::AboutBox(const VersionInfo& info, QWidget* parent) : QDialog(parent) {
    setObjectName(QStringLiteral("aboutBox"));
    setWindowTitle(uiText(Str::AboutTitle));
    setFont(chartFont(QStringLiteral("MS UI Gothic"), 12, 400));
    auto* layout = new QVBoxLayout(this);
    const std::pair<int, QString> fields[] = {
        {1028, info.product},
        {1029, uiFormat(Str::AboutVersion, {toU16(info.version)})},
        {1030, uiFormat(Str::AboutCompany, {toU16(info.company)})},
        {1031, uiFormat(Str::AboutCopyright, {toU16(info.copyright)})},
        {1032, uiFormat(Str::AboutComment, {toU16(info.comment)})},
    };
    for (const auto& [id, text] : fields) {
        auto* label = new QLabel(text, this);
        label->setObjectName(QStringLiteral("label%1").arg(id));
        label->setTextFormat(Qt::PlainText);
        layout->addWidget(label);
    }
    auto* ok = new QPushButton(uiText(Str::ButtonOk), this);
    ok->setObjectName(QStringLiteral("ok"));
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    layout->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace trovel
