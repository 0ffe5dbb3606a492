#include "robot/gui/transfer_dialog.h"

#include <QCloseEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/gui/ui_text.h"

namespace trovel {

TransferDialog::TransferDialog(HidLink& link, const QString& title, bool cancellable, QWidget* parent)
    : QDialog(parent), m_link(link) {
    setObjectName(QStringLiteral("transferDialog"));
    setWindowTitle(title);
    setWindowFlags((windowFlags() | Qt::CustomizeWindowHint) & ~Qt::WindowCloseButtonHint);
    setModal(true);
    auto* layout = new QVBoxLayout(this);
    m_step = new QLabel(QStringLiteral("ロボットにプログラムデータを書き込み中..."), this);
    m_step->setObjectName(QStringLiteral("step1039"));
    m_bar = new QProgressBar(this);
    m_bar->setObjectName(QStringLiteral("progress1040"));
    m_bar->setTextVisible(false);
    m_cancelButton = new QPushButton(QStringLiteral("中断"), this);
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
    connect(this, &TransferDialog::workFinished, this, [this] {
        m_finished = true;
        if (m_thread.joinable()) m_thread.join();
        done(QDialog::Accepted);
    }, Qt::QueuedConnection);
}

TransferDialog::~TransferDialog() {
    m_cancel = true;
    if (m_thread.joinable()) m_thread.join();
}

void TransferDialog::run(std::function<void(const TransferContext&)> work) {
    m_cancel = false;
    m_finished = false;
    TransferProgress progress;
    progress.step = [this](std::u16string_view text) { emit stepChanged(toQString(text)); };
    progress.range = [this](int low, int high) { emit rangeChanged(low, high); };
    progress.position = [this](int value) { emit positionChanged(value); };
    m_thread = std::thread([this, work = std::move(work), progress = std::move(progress)] {
        const TransferContext ctx{m_link, &m_cancel, progress};
        work(ctx);
        emit workFinished();
    });
    exec();
    if (m_thread.joinable()) m_thread.join();
}

bool TransferDialog::askOnUiThread(const std::function<bool()>& question) {
    bool answer = false;
    QMetaObject::invokeMethod(this, [&] { answer = question(); }, Qt::BlockingQueuedConnection);
    return answer;
}

void TransferDialog::reject() {
    if (m_finished) QDialog::reject();
}

void TransferDialog::closeEvent(QCloseEvent* event) {
    if (!m_finished) event->ignore();
    else QDialog::closeEvent(event);
}

}  // namespace trovel
