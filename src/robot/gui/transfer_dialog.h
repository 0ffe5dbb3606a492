#pragma once
// The modal progress dialog of a download, upload or firmware update. The transfer runs on its
// own thread and reaches the dialog only through queued signals; the dialog only sets the cancel
// flag and closes itself when the transfer thread has finished (and is joined).

#include <QDialog>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>

#include "robot/boot_loader.h"

class QLabel;
class QProgressBar;
class QPushButton;

namespace trovel {

class TransferDialog : public QDialog {
    Q_OBJECT
public:
    // title: "データの書き込み", "データの読み込み" or "ファームウェアの書き換え"; a firmware update
    // cannot be cancelled. `firstStep`: the step text until the transfer names its first stage
    // (empty: "ロボットにプログラムデータを書き込み中...").
    TransferDialog(HidLink& link, const QString& title, bool cancellable, QWidget* parent = nullptr,
                   const QString& firstStep = {});
    ~TransferDialog() override;

    // Shows the dialog modally; once it is up, `prepare` runs on the UI thread (false closes the
    // dialog and `work` never runs), then `work` runs on the transfer thread. Returns once the
    // transfer thread ended.
    void run(std::function<void(const TransferContext&)> work, std::function<bool()> prepare = {});
    // From the transfer thread: runs `question` on the UI thread and waits for its answer. False
    // without asking when the dialog is closing (the application quits).
    bool askOnUiThread(const std::function<bool()>& question);

    QLabel* stepLabel() const { return m_step; }
    QProgressBar* progressBar() const { return m_bar; }
    QPushButton* cancelButton() const { return m_cancelButton; }
    bool cancelRequested() const { return m_cancel.load(); }

signals:
    void stepChanged(const QString& text);
    void rangeChanged(int low, int high);
    void positionChanged(int value);
    void workFinished();

public slots:
    void reject() override;  // Esc and the close box: the transfer decides when the dialog ends

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void startWork(std::function<void(const TransferContext&)> work);
    void stopWaiting();

    HidLink& m_link;
    QLabel* m_step = nullptr;
    QProgressBar* m_bar = nullptr;
    QPushButton* m_cancelButton = nullptr;
    std::atomic<bool> m_cancel{false};
    bool m_finished = false;
    std::thread m_thread;
    std::mutex m_askMutex;
    std::condition_variable m_answered;
    bool m_closing = false;  // under m_askMutex
};

}  // namespace trovel
