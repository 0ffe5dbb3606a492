#include "app/gui/motor_dialog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QVBoxLayout>

#include <algorithm>

#include "base/gui/ui_text.h"
#include "base/gui/window_frame.h"
#include "app/settings.h"
#include "base/string_ids.h"
#include "editor/number_entry.h"
#include "model/option_flags.h"

namespace trovel {

int motorPercentFromText(const QString& text) {
    const NormalizedEntry entry = normalizeEntry(toU16(text.left(1023)));
    if (!entry.valid) return -1;
    long long value = 0;
    for (char16_t c : entry.text) {
        if (c == u'.') break;  // the integer part only
        if (c < u'0' || c > u'9') continue;
        value = std::min<long long>(value * 10 + (c - u'0'), 1000);
    }
    return static_cast<int>(std::clamp<long long>(value, 0, 100));
}

MotorDialog::MotorDialog(MotorDialogKind kind, Settings& settings, OptionFlags& flags, Asker asker, QWidget* parent)
    : QDialog(parent), m_kind(kind), m_settings(settings), m_flags(flags), m_asker(std::move(asker)) {
    setObjectName(QStringLiteral("motorDialog"));
    setWindowTitle(uiText(Str::MotorDialogTitle));
    setDialogFrame(this);
    m_savedSpeeds = m_settings.motorSpeed;
    auto* layout = new QVBoxLayout(this);
    const bool robot = kind == MotorDialogKind::Robot;
    layout->addWidget(new QLabel(uiText(robot ? Str::MotorRobotHeading : Str::MotorSimHeading), this));

    std::array<int, 2> values{};
    if (robot) {
        values = {m_settings.motorSpeed[kLeftMotor], m_settings.motorSpeed[kRightMotor]};
    } else {
        const std::array<uint8_t, 2> gains = m_settings.simGain;
        for (int side = 0; side < 2; ++side) values[side] = (gains[side] + 1) * 100 / 255;
    }
    // The right motor's group comes first.
    for (int side : {kRightMotor, kLeftMotor}) {
        auto* group = new QGroupBox(uiText(side == kRightMotor ? Str::MotorRightGroup : Str::MotorLeftGroup), this);
        auto* grid = new QGridLayout(group);
        m_sliders[side] = new QSlider(Qt::Horizontal, group);
        m_sliders[side]->setObjectName(side == kRightMotor ? QStringLiteral("slider1129")
                                                           : QStringLiteral("slider1132"));
        m_sliders[side]->setRange(0, 100);
        m_sliders[side]->setTickInterval(32);
        m_sliders[side]->setTickPosition(QSlider::TicksBelow);
        m_sliders[side]->setValue(values[side]);
        m_edits[side] = new QLineEdit(QString::number(values[side]), group);
        m_edits[side]->setObjectName(side == kRightMotor ? QStringLiteral("edit1136") : QStringLiteral("edit1137"));
        grid->addWidget(new QLabel(uiText(Str::MotorSlow), group), 0, 0);
        grid->addWidget(m_sliders[side], 0, 1);
        grid->addWidget(new QLabel(uiText(Str::MotorFast), group), 0, 2);
        grid->addWidget(new QLabel(uiText(Str::MotorSpeed), group), 1, 0);
        grid->addWidget(m_edits[side], 1, 1);
        grid->addWidget(new QLabel(uiText(Str::MotorPercent), group), 1, 2);
        layout->addWidget(group);
    }
    auto* hint = new QLabel(uiText(Str::MotorHint), this);
    hint->setWordWrap(true);
    layout->addWidget(hint);
    m_readOnConnect = new QCheckBox(uiText(Str::MotorReadOnConnect), this);
    m_readOnConnect->setObjectName(QStringLiteral("check1130"));
    m_readOnConnect->setChecked(robot && m_flags.has(Option::ReadMotorSpeedOnConnect));
    m_readOnConnect->setEnabled(robot);
    layout->addWidget(m_readOnConnect);
    auto* buttons = new QDialogButtonBox(this);
    buttons->addButton(uiText(Str::ButtonOk), QDialogButtonBox::AcceptRole);
    buttons->addButton(uiText(Str::ButtonClose), QDialogButtonBox::RejectRole);
    connect(buttons, &QDialogButtonBox::accepted, this, &MotorDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &MotorDialog::reject);
    layout->addWidget(buttons);

    for (int side = 0; side < 2; ++side) {
        connect(m_sliders[side], &QSlider::valueChanged, this, [this] {
            if (!m_writing) sliderMoved();
        });
        connect(m_edits[side], &QLineEdit::textEdited, this, [this, side] { editChanged(side); });
    }
}

void MotorDialog::sliderMoved() {
    m_writing = true;
    for (int side = 0; side < 2; ++side) m_edits[side]->setText(QString::number(m_sliders[side]->value()));
    m_writing = false;
    m_changed = true;
}

void MotorDialog::editChanged(int side) {
    if (m_writing) return;
    const QString text = m_edits[side]->text();
    const int value = motorPercentFromText(text);
    m_writing = true;
    if (value < 0) {
        QApplication::beep();
        m_edits[side]->setText(QString::number(m_sliders[side]->value()));
    } else {
        if (QString::number(value) != text.trimmed() && !text.trimmed().isEmpty() && value == 100)
            m_edits[side]->setText(QStringLiteral("100"));
        m_sliders[side]->setValue(value);
        if (m_kind == MotorDialogKind::Robot) m_settings.motorSpeed[side] = static_cast<uint8_t>(value);
        m_changed = true;
    }
    m_writing = false;
}

QMessageBox::StandardButton MotorDialog::ask(const Question& question) {
    return m_asker ? m_asker(question) : askInBox(this, uiText(Str::MessageCaption), question);
}

void MotorDialog::accept() {
    // Window-modal: blocks this dialog only, never the simulator.
    if (ask({uiText(Str::ApplyMotorSettings), QMessageBox::Question, QMessageBox::Ok | QMessageBox::Cancel}) !=
        QMessageBox::Ok)
        return;
    if (m_kind == MotorDialogKind::Robot) {
        m_flags.assign(Option::ReadMotorSpeedOnConnect, m_readOnConnect->isChecked());
        for (int side = 0; side < 2; ++side)
            m_settings.motorSpeed[side] = static_cast<uint8_t>(m_sliders[side]->value());
        emit settingsChanged();
        m_savedSpeeds = m_settings.motorSpeed;
    } else {
        std::array<uint8_t, 2> gains{};
        for (int side = 0; side < 2; ++side) gains[side] = static_cast<uint8_t>(m_sliders[side]->value() * 255 / 100);
        m_settings.simGain = gains;
        emit simulatorGainsChanged(gains);
    }
    m_changed = false;
    QDialog::accept();
}

void MotorDialog::reject() {
    if (m_changed) {
        if (ask({uiText(Str::DiscardMotorChanges), QMessageBox::Question, QMessageBox::Yes | QMessageBox::No}) !=
            QMessageBox::Yes)
            return;
    }
    // Whatever was not confirmed with OK is dropped.
    m_settings.motorSpeed = m_savedSpeeds;
    QDialog::reject();
}

}  // namespace trovel
