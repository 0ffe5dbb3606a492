// The studio installed with a read-only shared folder and a fresh home: settings and lap records
// go to the user's folder, the shared folder stays as installed, a second start reads them back.

#include <QAction>
#include <QtTest>

#include <filesystem>
#include <fstream>
#include <map>

#include "app/app_config.h"
#include "app/studio_context.h"
#include "base/app_folder.h"
#include "app/gui/main_window.h"
#include "app/gui/studio_setup.h"
#include "base/locale_id.h"
#include "model/option_flags.h"
#include "sim/course_install.h"
#include "sim/gui/simulator_window.h"
#include "sim/lap_record_file.h"
#include "sim/lap_records.h"
#include "sim/simulator.h"

using namespace trovel;
namespace fs = std::filesystem;

namespace {

std::map<fs::path, std::string> snapshot(const fs::path& dir) {
    std::map<fs::path, std::string> files;
    for (const auto& e : fs::recursive_directory_iterator(dir)) {
        if (!e.is_regular_file()) continue;
        std::ifstream in(e.path(), std::ios::binary);
        files[e.path()] = std::string(std::istreambuf_iterator<char>(in), {});
    }
    return files;
}

// Read-only as a package installs it, and back, so a later run or a clean can remove it.
void setWritable(const fs::path& dir, bool writable) {
    std::error_code ec;
    const auto write = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    const auto mode = writable ? fs::perm_options::add : fs::perm_options::remove;
    for (auto it = fs::recursive_directory_iterator(dir, ec); !ec && it != fs::recursive_directory_iterator(); ++it)
        fs::permissions(it->path(), writable ? fs::perms::owner_write : write, mode, ec);
    fs::permissions(dir, writable ? fs::perms::owner_write : write, mode, ec);
}

}  // namespace

class InstalledFoldersTest : public QObject {
    Q_OBJECT

    fs::path m_root = fs::path(TROVEL_TEST_TMP) / "gui/installed";
    fs::path m_shared = m_root / "usr/share/trovel-studio";
    fs::path m_user = m_root / "home/.local/share/trovel-studio";

    std::unique_ptr<StudioContext> m_context;

    // What the studio's main does up to its window; the context is a new one, as for a new process.
    std::unique_ptr<MainWindow> start() {
        m_context = std::make_unique<StudioContext>();
        m_context->folders = startAppFolders({}, m_root / "usr/bin/trovel-studio");
        const AppFolders& folders = m_context->folders;
        if (folders.shared != m_shared || folders.user != m_user) return nullptr;
        if (!loadStudioContext(*m_context, kLcidJapanese).ok) return nullptr;
        MainWindowSetup setup = mainWindowSetup(*m_context, QString::fromStdU16String(m_shared.u16string()), {});
        placeUserFiles(setup, folders);
        auto window = std::make_unique<MainWindow>(std::move(setup));
        window->show();
        return window;
    }

    SimulatorWindow* openSimulatorFrom(MainWindow& window) {
        window.actionById(Command::Simulator)->trigger();
        SimulatorWindow* sim = window.simulatorWindow();
        if (sim) sim->setTicking(false);
        return sim;
    }

private slots:
    void initTestCase() {
        if (fs::exists(m_shared)) setWritable(m_shared, true);
        fs::remove_all(m_root);  // error_code-free: a leftover that cannot go must stop the test
        std::error_code ec;
        fs::create_directories(m_root / "usr/bin", ec);
        fs::create_directories(m_shared, ec);
        fs::copy(TROVEL_SOURCE_DIR "/data", m_shared, fs::copy_options::recursive, ec);
        QVERIFY2(!ec, ec.message().c_str());
        // Shipped lap records, to tell the user's own from them.
        QVERIFY(writeRecordsFile(m_shared / "record.dat", {99999}));
        setWritable(m_shared, false);
        qputenv("HOME", QByteArray::fromStdString((m_root / "home").string()));
        // This machine's own site settings (an installed package's /etc) are kept out.
        qputenv("TROVEL_SITE_DIR", QByteArray::fromStdString((m_root / "etc/trovel-studio").string()));
        qunsetenv("XDG_DATA_HOME");
        qunsetenv("TROVEL_HOME");
        QCoreApplication::setApplicationName(QStringLiteral("trovel-studio"));
    }

    void settingsAndRecordsLiveInTheUsersFolder() {
        const auto installed = snapshot(m_shared);
        {
            auto window = start();
            QVERIFY(window);
            // Seeded from the shared defaults on the first start.
            QCOMPARE(snapshot(m_user).at(m_user / "qx_def.ini"), installed.at(m_shared / "qx_def.ini"));
            SimulatorWindow* sim = openSimulatorFrom(*window);
            QVERIFY(sim && sim->coursesLoaded());
            QCOMPARE(sim->lapRecords().courses[0].bestMs, 99999);
            QPointer<SimulatorWindow> guard(sim);
            sim->close();
            QTRY_VERIFY(guard.isNull());
            m_context->options.set(Option::BlockCollision);
            QVERIFY(saveAppSettings(*m_context));  // as at exit
        }
        QVERIFY(snapshot(m_shared) == installed);
        QVERIFY(fs::exists(m_user / "record.dat"));
        // A faster lap than the shipped one, as the simulator would have kept it.
        QVERIFY(writeRecordsFile(m_user / "record.dat", {12345}));

        auto window = start();
        QVERIFY(window);
        QVERIFY(m_context->options.has(Option::BlockCollision));
        SimulatorWindow* sim = openSimulatorFrom(*window);
        QVERIFY(sim && sim->coursesLoaded());
        QCOMPARE(sim->lapRecords().courses[0].bestMs, 12345);
        QPointer<SimulatorWindow> guard(sim);
        sim->close();
        QTRY_VERIFY(guard.isNull());
        QVERIFY(snapshot(m_shared) == installed);
        QCOMPARE(readRecordsFile(m_user / "record.dat").times.at(0), 12345);
    }

    // trovel-cli finds the user's data folder without Qt: it must be the one the studio reads, so a
    // course installed from the command line shows in the studio's simulator after the shipped ones.
    void aCourseInstalledFromTheCommandLineShowsInTheStudio() {
        QCOMPARE(QString::fromStdString(userDataFolder(processEnvironment()).string()),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        qputenv("XDG_DATA_HOME", QByteArray::fromStdString((m_root / "xdg").string()));
        QCOMPARE(QString::fromStdString(userDataFolder(processEnvironment()).string()),
                 QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
        qunsetenv("XDG_DATA_HOME");

        std::ofstream(m_root / "oval.course") << "TROVEL-COURSE 1\nname-ja \"だえん\"\nstart 0 0 0\n"
                                                 "line -200 0 200 0\nend\n";
        const InstallResult installed = installCourseFile(m_root / "oval.course", userDataFolder(processEnvironment()));
        QVERIFY(installed.ok());
        auto window = start();
        QVERIFY(window);
        SimulatorWindow* sim = openSimulatorFrom(*window);
        QVERIFY(sim && sim->coursesLoaded());
        QCOMPARE(courseCount(sim->simulator().courses), 5);
        QVERIFY(sim->simulator().courses.courses[4].name == u"だえん");
        QVERIFY(fs::exists(m_user / "user_courses" / "oval.bmp"));
        QPointer<SimulatorWindow> guard(sim);
        sim->close();
        QTRY_VERIFY(guard.isNull());
        m_context->options.reset(0);
    }

    void cleanupTestCase() { setWritable(m_shared, true); }
};

QTEST_MAIN(InstalledFoldersTest)
#include "installed_folders_test.moc"
