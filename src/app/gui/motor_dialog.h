#pragma once
// "モーターの設定": left and right motor speed percentages, for the robot (saved with the settings,
// sent with the next download or firmware update) or for the simulator (its motor gains, kept in
// the settings too).

#include <QDialog>

#include <array>
#include <cstdint>

#include "base/gui/user_question.h"

class QCheckBox;
class QLineEdit;
class QSlider;

namespace trovel {

class OptionFlags;
struct Settings;

enum class MotorDialogKind { Robot, Simulator };

// The percentage an edit's text asks for: -1 for characters a number entry refuses, else the
// value clamped to 0..100 (an empty text is 0).
int motorPercentFromText(const QString& text);

class MotorDialog : public QDialog {
    Q_OBJECT
public:
    // `asker` takes the confirmations; empty: a message box over the dialog.
    MotorDialog(MotorDialogKind kind, Settings& settings, OptionFlags& flags, Asker asker = {},
                QWidget* parent = nullptr);

    QSlider* slider(int side) const { return m_sliders[side]; }  // side: kLeftMotor / kRightMotor
    QLineEdit* edit(int side) const { return m_edits[side]; }
    QCheckBox* readOnConnect() const { return m_readOnConnect; }
    bool changed() const { return m_changed; }

signals:
    // The simulator variant was confirmed: the new gains [left, right] raw 0..255, already in the settings.
    void simulatorGainsChanged(std::array<uint8_t, 2> gains);
    // The robot variant was confirmed: its speeds and option are in the settings, to be saved to
    // qx_def.ini now.
    void settingsChanged();

public slots:
    void accept() override;
    void reject() override;

private:
    QMessageBox::StandardButton ask(const Question& question);
    void sliderMoved();
    void editChanged(int side);

    MotorDialogKind m_kind;
    Settings& m_settings;
    OptionFlags& m_flags;
    Asker m_asker;
    std::array<uint8_t, 2> m_savedSpeeds{};
    std::array<QSlider*, 2> m_sliders{};
    std::array<QLineEdit*, 2> m_edits{};
    QCheckBox* m_readOnConnect = nullptr;
    bool m_changed = false;
    bool m_writing = false;  // ignore the edits' own notifications while they are rewritten
};

}  // namespace trovel
