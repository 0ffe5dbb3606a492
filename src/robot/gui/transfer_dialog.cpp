#include "robot/gui/transfer_dialog.h"

#include <QCloseEvent>
#include <QTimer>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "base/gui/ui_text.h"
#include "base/string_ids.h"
#include "base/gui/window_frame.h"

namespace trovel {

TransferDialog::TransferDialog(HidLink& link, const QString& title, bool cancellable, QWidget* parent,
                               const QString& firstStep)
    : QDialog(parent), m_link(link) {
    setObjectName(QStringLiteral("transferDialog"));
    setWindowTitle(title);
    setDialogFrame(this, false);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_step = new QLabel(firstStep.isEmpty() ? uiText(Str::TransferWriting) : firstStep, this);
    m_step->setObjectName(QStringLiteral("step1039"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress1040"));
    m_bar->setTextVisible(false);
    m_cancelButton = new QPushButton(uiText(Str::TransferCancel), this);
    m_cancelButton->setObjectName(QStringLiteral("button1141"));
    m_cancelButton->setEnabled(cancellable);
    layout->addWidget(m_step);
    layout->addWidget(m_bar);
    layout->addWidget(m_cancelButton, 0, Qt::AlignHCenter);
    resize(360, 120);

    connect(m_cancelButton, &QPushButton::clicked, this, [this] { m_cancel = true; });
    // Emitted on the transfer thread: queued to the widgets on this one.
    connect(this, &TransferDialog::stepChanged, m_step, &QLabel::setText, Qt::QueuedConnection);
    connect(this, &TransferDialog::rangeChanged, m_bar, &QProgressBar::setRange, Qt::QueuedConnection);
    connect(this, &TransferDialog::positionChanged, m_bar, &QProgressBar::setValue, Qt::QueuedConnection);
    connect(
        this, &TransferDialog::workFinished, this,
        [this] {
            m_finished = true;
            if (m_thread.joinable()) m_thread.join();
            done(QDialog::Accepted);
        },
        Qt::QueuedConnection);
}

TransferDialog::~TransferDialog() {
    m_cancel = true;
    stopWaiting();
    if (m_thread.joinable()) m_thread.join();
}

void TransferDialog::stopWaiting() {
    {
        std::lock_guard lock(m_askMutex);
        m_closing = true;
    }
    m_answered.notify_all();
}

void TransferDialog::run(std::function<void(const TransferContext&)> work, std::function<bool()> prepare) {
    m_cancel = false;
    m_finished = false;
    {
        std::lock_guard lock(m_askMutex);
        m_closing = false;
    }
    // Once the dialog is up: the dialog opens first, whatever the transfer asks before it starts.
    QTimer::singleShot(0, this, [this, work = std::move(work), prepare = std::move(prepare)]() mutable {
        if (prepare && !prepare()) {
            m_finished = true;
            done(QDialog::Rejected);
            return;
        }
        startWork(std::move(work));
    });
    exec();
    // The event loop may also end because the application quits: a transfer thread waiting for
    // an answer must not wait for ever.
    stopWaiting();
    if (m_thread.joinable()) m_thread.join();
}

void TransferDialog::startWork(std::function<void(const TransferContext&)> work) {
    TransferProgress progress;
    progress.step = [this](TransferStep step) { emit stepChanged(uiText(transferStepString(step))); };
    progress.range = [this](int low, int high) { emit rangeChanged(low, high); };
    progress.position = [this](int value) { emit positionChanged(value); };
    m_thread = std::thread([this, work = std::move(work), progress = std::move(progress)] {
        const TransferContext ctx{m_link, &m_cancel, progress};
        work(ctx);
        emit workFinished();
    });
}

bool TransferDialog::askOnUiThread(const std::function<bool()>& question) {
    struct Answer {
        bool given = false;
        bool value = false;
    };
    auto answer = std::make_shared<Answer>();
    // Queued, never blocking: the UI thread may be joining this thread when it quits.
    QMetaObject::invokeMethod(
        this,
        [this, answer, question] {
            const bool value = question();
            {
                std::lock_guard lock(m_askMutex);
                answer->value = value;
                answer->given = true;
            }
            m_answered.notify_all();
        },
        Qt::QueuedConnection);
    std::unique_lock lock(m_askMutex);
    m_answered.wait(lock, [&] { return answer->given || m_closing; });
    return answer->given && answer->value;
}

void TransferDialog::reject() {
    if (m_finished) QDialog::reject();
}

void TransferDialog::closeEvent(QCloseEvent* event) {
    if (!m_finished) event->ignore();
    else QDialog::closeEvent(event);
}

}  // namespace trovel
