#pragma once
// Helpers for driving the studio's widgets headless: blocks placed directly, modal boxes and
// file dialogs answered as a user would, a private folder for files.

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileDialog>
#include <QMessageBox>
#include <QThread>
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
        m_level = QThread::currentThread()->loopLevel();
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (m_clock.elapsed() > 10000) {
                // Never hang a test run: give up, close every dialog that is open, and let answered() fail.
                m_timer.stop();
                for (QWidget* w : candidates())
                    if (auto* dialog = qobject_cast<QDialog*>(w)) dialog->reject();
                return;
            }
            // A dialog answered while exec() is still showing it, before its event loop runs,
            // closes but leaves exec() waiting for ever: act only from inside a deeper loop.
            if (m_done || QThread::currentThread()->loopLevel() <= m_level) return;
            // The active modal widget is not always set when a dialog without an owner is
            // shown, so the visible top-level windows are asked too.
            for (QWidget* w : candidates()) {
                if (!m_act(w)) continue;
                m_done = true;
                m_timer.stop();
                return;
            }
        });
        m_timer.start();
    }
    bool answered() const { return m_done; }

private:
    static QList<QWidget*> candidates() {
        QList<QWidget*> found;
        if (QWidget* modal = QApplication::activeModalWidget(); modal && modal->isVisible()) found << modal;
        for (QWidget* w : QApplication::topLevelWidgets())
            if (w->isVisible() && qobject_cast<QDialog*>(w) && !found.contains(w)) found << w;
        return found;
    }

private:
    std::function<bool(QWidget*)> m_act;
    QTimer m_timer;
    QElapsedTimer m_clock;
    int m_level = 0;
    bool m_done = false;
};

}  // namespace trovel::test
