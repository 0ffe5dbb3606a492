#pragma once
// Helpers for driving the studio's widgets headless: blocks placed directly, modal boxes and
// file dialogs answered as a user would, a private folder for files.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>

#include <functional>
#include <memory>

#include "base/gui/user_question.h"
#include "model/program.h"
#include "scratch_dir.h"

namespace trovel::test {

inline ActionBlock* addBlock(BlockProgram& program, BlockType type, int x, int y) {
    auto block = std::make_unique<ActionBlock>();
    block->type = type;
    block->x = x;
    block->y = y;
    const BlockSize size = blockSize(type);
    block->width = size.width;
    block->height = size.height;
    block->bend = {27, 27};
    return append(program, std::move(block));
}

inline QString testDir(const QString& name) {
    return QString::fromStdString(test::scratchDir("gui", name.toStdString()).string());
}

// Answers a window's questions in the user's place (through its setAsker), in order, and keeps
// their texts; a question beyond the script gets no button.
struct ScriptedAnswers {
    QList<QMessageBox::StandardButton> buttons;
    QStringList texts;
    Asker asker() {
        return [this](const Question& question) {
            texts << question.text;
            return buttons.isEmpty() ? QMessageBox::NoButton : buttons.takeFirst();
        };
    }
    // The first question asked whose text holds `part`; empty when none was.
    QString asked(const QString& part) const {
        for (const QString& text : texts)
            if (text.contains(part)) return text;
        return {};
    }
};

// Waits (with the event loop running) for a modal window and hands it to `act` once.
class ModalAnswerer {
public:
    // `act` returns false when the window is not the one it waits for.
    explicit ModalAnswerer(std::function<bool(QWidget*)> act) : m_act(std::move(act)) {
        m_timer.setInterval(10);
        m_clock.start();
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (m_clock.elapsed() > 10000) {
                // Never hang a test run: give up, close what is open, and let answered() fail.
                m_timer.stop();
                if (auto* dialog = qobject_cast<QDialog*>(modal)) dialog->reject();
                return;
            }
            if (!modal || m_done || !modal->isVisible()) return;
            if (!m_act(modal)) return;
            m_done = true;
            m_timer.stop();
        });
        m_timer.start();
    }
    bool answered() const { return m_done; }

private:
    std::function<bool(QWidget*)> m_act;
    QTimer m_timer;
    QElapsedTimer m_clock;
    bool m_done = false;
};

}  // namespace trovel::test
