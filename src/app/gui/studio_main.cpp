// trovel-studio: the flowchart editor's window.

#include <QAbstractScrollArea>
#include <QApplication>
#include <QElapsedTimer>
#include <QIcon>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QPainter>
#include <QScreen>
#include <QTimer>
#include <QTranslator>
#include <QWindow>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_config.h"
#include "app/site_settings.h"
#include "app/studio_context.h"
#include "base/app_folder.h"
#include "app/gui/command_line.h"
#include "app/gui/main_window.h"
#include "app/gui/screenshot_export.h"
#include "app/gui/standard_texts.h"
#include "app/gui/studio_setup.h"
#include "base/gui/window_frame.h"
#include "base/gui/ui_text.h"
#include "base/locale_id.h"
#include "base/message_format.h"
#include "base/resource_library.h"
#include "app/program_info.h"
#include "base/string_ids.h"
#include "model/text_convert.h"
#include "robot/robot_usb_id.h"
#include "sim/gui/simulator_window.h"

namespace {

// The window as the screen shows it, with its title drawn above it: a bare X server has no
// window manager to draw the title bar.
void grabWindow(QWidget& window, const QString& path) {
    QPixmap content;
    if (QScreen* screen = window.screen()) content = screen->grabWindow(window.winId());
    if (content.isNull() || content.width() < 2) content = window.grab();
    const QFont font = trovel::chartFont(QStringLiteral("MS UI Gothic"), 15, 700);
    const int strip = 26;
    // At a scaled screen the grab holds device pixels: keep them all, and lay out in logical ones.
    const qreal ratio = content.devicePixelRatio();
    QImage out(content.width(), content.height() + qRound(strip * ratio), QImage::Format_RGB32);
    out.setDevicePixelRatio(ratio);
    out.fill(QColor(64, 96, 160));
    QPainter p(&out);
    p.setFont(font);
    p.setPen(Qt::white);
    p.drawText(QRect(8, 0, int(out.width() / ratio) - 16, strip), Qt::AlignVCenter | Qt::AlignLeft,
               window.windowTitle());
    p.drawPixmap(0, strip, content);
    p.end();
    out.save(path, "PNG");
}

// Start-up timing: with TROVEL_QUIT_AFTER_PAINT set, the studio writes the milliseconds from the
// start of main() to the end of the chart's first paint on stderr and quits.
class FirstPaintTimer : public QObject {
public:
    FirstPaintTimer(QWidget* chart, const QElapsedTimer& since) : QObject(chart), m_chart(chart), m_since(since) {
        chart->installEventFilter(this);
    }
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == m_chart && event->type() == QEvent::Paint && !m_done) {
            m_done = true;
            // After this paint has been drawn and flushed to the screen.
            QTimer::singleShot(0, [since = m_since] {
                std::fprintf(stderr, "first paint %lld ms\n", static_cast<long long>(since.elapsed()));
                QCoreApplication::exit(0);
            });
        }
        return false;
    }

private:
    QWidget* m_chart;
    QElapsedTimer m_since;
    bool m_done = false;
};

}  // namespace

int main(int argc, char** argv) {
    QElapsedTimer sinceStart;
    sinceStart.start();
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
    // Answered before Qt starts, so they work without a display.
    if (const trovel::InfoRequest info = trovel::infoRequest(args); info != trovel::InfoRequest::None) {
        const std::string text =
            info == trovel::InfoRequest::Help ? trovel::studioHelpText() : trovel::versionText("trovel-studio");
        std::fputs(text.c_str(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    }
    const trovel::StudioCommandLine line = trovel::parseStudioCommandLine(args);
    // Refused before Qt starts, so a script gets its answer without a display.
    if (!line.unknownOption.empty()) {
        const trovel::EnvLookup env = trovel::processEnvironment();
        const trovel::AppFolders folders =
            trovel::resolveAppFolders(line.appDir, env, trovel::executablePath(), trovel::userDataFolder(env));
        const trovel::SiteSettings site =
            trovel::loadSiteSettings(trovel::siteFile(folders, trovel::kSiteSettingsFile));
        trovel::chooseResourceLibrary(trovel::resolveDataPath(trovel::kResourceListFile, folders.shared),
                                      trovel::userLocaleId(trovel::languageOption(argc, argv), env, site.language),
                                      folders.shared);
        const std::u16string text = trovel::formatMessage(trovel::resString(trovel::Str::StudioUnknownOption),
                                                          {trovel::fromUtf8(line.unknownOption)});
        std::fprintf(stderr, "trovel-studio: %s\n", trovel::toUtf8(text).c_str());
        return 2;
    }
    QCoreApplication::setApplicationName(QStringLiteral("trovel-studio"));
    QApplication app(argc, argv);
    // Lets the desktop match the windows to the installed menu entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("trovel-studio"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral("trovel-studio"), trovel::applicationIcon()));

    // Everything the windows share for this run; it outlives them all.
    trovel::StudioContext context;
    context.folders = trovel::startAppFolders(line.appDir, trovel::executablePath());
    const trovel::SiteSettings site =
        trovel::loadSiteSettings(trovel::siteFile(context.folders, trovel::kSiteSettingsFile));
    const uint32_t locale =
        trovel::userLocaleId(trovel::languageOption(argc, argv), trovel::processEnvironment(), site.language);
    const trovel::StartupResult startup = trovel::loadStudioContext(context, locale);
    // Qt's own texts (file dialogs) in Japanese unless a language pack chose another language; the
    // studio's button texts, installed after, take precedence.
    QTranslator qtTexts;
    if (!context.config.resources.loaded &&
        qtTexts.load(QStringLiteral("qtbase_ja"), QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        app.installTranslator(&qtTexts);
    trovel::StandardTextTranslator buttons;
    app.installTranslator(&buttons);
    for (const auto& message : startup.messages) {
        const QString caption = trovel::uiText(trovel::Str::MessageCaption);
        const QString text = trovel::toQString(message.text);
        if (message.kind == trovel::StartupMessage::Kind::Error) QMessageBox::critical(nullptr, caption, text);
        else QMessageBox::warning(nullptr, caption, text);
    }
    if (!startup.ok) return 0;

    trovel::startImageExport(nullptr);
    if (line.viewMode) context.options.set(trovel::Option::ViewMode);
    const QString appDir = QString::fromStdU16String(trovel::pathText(context.folders.shared));
    const QString pending = QString::fromStdU16String(trovel::pathText(line.programPath));
    trovel::MainWindowSetup setup = trovel::mainWindowSetup(context, appDir, pending);
    trovel::placeUserFiles(setup, context.folders);
    setup.startRobotLink = true;
    setup.startSimulator = line.openSimulator;
    setup.startCourse = line.course;
    setup.startPlaying = line.play;
    const std::filesystem::path robotIni = trovel::readableUserFile(context.folders, u"robot.ini");
    if (!trovel::chooseRobotUsbId(line.robotUsb, robotIni.parent_path(), setup.robotUsb))
        QMessageBox::warning(
            nullptr, trovel::uiText(trovel::Str::MessageCaption),
            trovel::uiFormat(trovel::Str::BadRobotUsb, {trovel::toU16(QString::fromStdString(line.robotUsb))}));
    if (!line.missingPath.empty())
        QMessageBox::warning(nullptr, trovel::uiText(trovel::Str::MessageCaption),
                             trovel::uiFormat(trovel::Str::StudioProgramMissing, {trovel::pathText(line.missingPath)}));
    trovel::MainWindow window(std::move(setup));
    if (qEnvironmentVariableIsSet("TROVEL_QUIT_AFTER_PAINT")) {
        if (auto* chart = window.findChild<QAbstractScrollArea*>(QStringLiteral("motwindow")))
            new FirstPaintTimer(chart->viewport(), sinceStart);
    }
    window.show();

    if (!line.grabPath.empty()) {
        const QString grabPath = QString::fromStdU16String(trovel::pathText(line.grabPath));
        QTimer::singleShot(800, &window, [&window, grabPath] {
            grabWindow(window, grabPath);
            // With --simulator the simulator window is pictured beside it: NAME-simulator.png.
            if (QWidget* sim = window.simulatorWindow()) {
                QString simPath = grabPath;
                simPath.insert(simPath.endsWith(QStringLiteral(".png")) ? simPath.size() - 4 : simPath.size(),
                               QStringLiteral("-simulator"));
                grabWindow(*sim, simPath);
            }
            QCoreApplication::exit(0);
        });
    }

    const int code = app.exec();
    // A picture or timing run leaves the application folder as it found it.
    if (line.grabPath.empty() && !qEnvironmentVariableIsSet("TROVEL_QUIT_AFTER_PAINT"))
        trovel::saveAppSettings(context);
    return code;
}
