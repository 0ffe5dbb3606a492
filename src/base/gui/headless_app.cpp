#include "base/gui/headless_app.h"

#include <QCoreApplication>
#include <QGuiApplication>

#include <cstdio>

namespace trovel {

namespace {

void quietQtNotes(QtMsgType type, const QMessageLogContext&, const QString& text) {
    if (type == QtCriticalMsg || type == QtFatalMsg) std::fprintf(stderr, "%s\n", qPrintable(text));
}

}  // namespace

HeadlessGui::HeadlessGui() {
    if (QCoreApplication::instance()) return;
    static int argc = 1;
    static char name[] = "trovel-render";
    static char* argv[] = {name, nullptr};
    // Thumbnailers and scripts run without a display: never ask for one.
    m_previousHandler = qInstallMessageHandler(quietQtNotes);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QCoreApplication::setApplicationName(QStringLiteral("trovel-studio"));
    // Kept to the end of the process: a second application would find the first one's font caches
    // gone, and a caller may draw many pictures.
    new QGuiApplication(argc, argv);
    m_ownApp = true;
}

HeadlessGui::~HeadlessGui() {
    if (m_ownApp) qInstallMessageHandler(m_previousHandler);
}

}  // namespace trovel
