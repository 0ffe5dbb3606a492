// The studio's command line: view mode, a quoted or bare program path, the application folder.

#include <QFile>
#include <QtTest>

#include "app/gui/command_line.h"
#include "app/program_info.h"
#include "gui_test_support.h"

using namespace trovel;

class CommandLineTest : public QObject {
    Q_OBJECT

    std::string m_existing;

private slots:
    void initTestCase() {
        const QString dir = test::testDir(QStringLiteral("command_line"));
        const QString path = dir + "/Mixed Case.qxp";
        QFile f(path);
        QVERIFY(f.open(QIODevice::WriteOnly));
        m_existing = path.toStdString();
    }

    void quotedPathThenViewOpensInViewMode() {
        const auto line = parseStudioCommandLine({"\"" + m_existing + "\"", "-VIEW"});
        QVERIFY(line.viewMode);
        QCOMPARE(QString::fromStdString(line.programPath.string()), QString::fromStdString(m_existing));
    }

    void bareShellUnquotedPathKeepsItsCase() {
        const auto line = parseStudioCommandLine({m_existing});
        QVERIFY(!line.viewMode);
        QCOMPARE(QString::fromStdString(line.programPath.string()), QString::fromStdString(m_existing));
    }

    void missingFileStartsWithANewProgram() {
        const auto line = parseStudioCommandLine({"\"" + m_existing + ".gone\"", "-view"});
        QVERIFY(line.viewMode);
        QVERIFY(line.programPath.empty());
        QCOMPARE(QString::fromStdString(line.missingPath.string()), QString::fromStdString(m_existing + ".gone"));
        QVERIFY(parseStudioCommandLine({m_existing}).missingPath.empty());
        QVERIFY(parseStudioCommandLine({"-view"}).missingPath.empty());
    }

    // --help and the parser agree: each option the parser takes is in the help, and each option
    // the help names is taken by the parser.
    void helpNamesWhatTheParserTakes() {
        const QString help = QString::fromStdString(studioHelpText());
        for (const char* option : {"-view", "--app-dir", "--lang", "--robot-usb", "--simulator", "--course", "--play",
                                   "--grab", "--help", "--version"})
            QVERIFY2(help.contains(QRegularExpression(QStringLiteral("(^|\\s)%1\\b").arg(option))), option);
        static const QRegularExpression named(QStringLiteral("^ +(-{1,2}[a-z][a-z-]*)"),
                                              QRegularExpression::MultilineOption);
        int count = 0;
        for (auto it = named.globalMatch(help); it.hasNext(); ++count) {
            const std::string option = it.next().captured(1).toStdString();
            if (option == "--help" || option == "--version") continue;  // answered before parsing
            QVERIFY2(parseStudioCommandLine({option, "1"}).unknownOption.empty(), option.c_str());
        }
        QVERIFY(count >= 10);
    }

    // Every row ends with the existing program: it opens unless a row's own argument took it.
    void optionsKnownAndUnknown_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<QString>("unknown");
        QTest::addColumn<bool>("opens");
        QTest::newRow("unknown before the file") << QStringList{"--fullscreen"} << "--fullscreen" << true;
        QTest::newRow("single dash") << QStringList{"-x"} << "-x" << true;
        QTest::newRow("first unknown named") << QStringList{"--a", "--b"} << "--a" << true;
        QTest::newRow("lang") << QStringList{"--lang", "en"} << "" << true;
        QTest::newRow("robot-usb") << QStringList{"--robot-usb", "1234:5678"} << "" << true;
        QTest::newRow("robot-usb=") << QStringList{"--robot-usb=1234:5678"} << "" << true;
        QTest::newRow("Qt platform") << QStringList{"-platform", "offscreen"} << "" << true;
        QTest::newRow("Qt two dashes") << QStringList{"--platform", "offscreen"} << "" << true;
        QTest::newRow("Qt style=") << QStringList{"-style=fusion"} << "" << true;
        QTest::newRow("Qt reverse") << QStringList{"-reverse"} << "" << true;
        QTest::newRow("Qt reverse= is not Qt's") << QStringList{"-reverse=1"} << "-reverse=1" << true;
        QTest::newRow("after -- a name") << QStringList{"--", "--app-dir"} << "" << false;
        QTest::newRow("lone dash is a name") << QStringList{"-"} << "" << false;
    }
    void optionsKnownAndUnknown() {
        QFETCH(QStringList, args);
        std::vector<std::string> list;
        for (const QString& a : args) list.push_back(a.toStdString());
        list.push_back(m_existing);
        const auto line = parseStudioCommandLine(list);
        QTEST(QString::fromStdString(line.unknownOption), "unknown");
        QTEST(!line.programPath.empty(), "opens");
    }

    void aSingleQuoteCharacterIsIgnored() {
        QVERIFY(parseStudioCommandLine({"\"" + m_existing}).programPath.empty());
        QVERIFY(parseStudioCommandLine({"\""}).programPath.empty());
    }

    void optionsWithValuesAreNotTakenForThePath() {
        const auto line = parseStudioCommandLine({"--app-dir", "/some/dir", "--lang", "en", "--grab", "out.png"});
        QCOMPARE(QString::fromStdString(line.appDir.string()), QStringLiteral("/some/dir"));
        QCOMPARE(QString::fromStdString(line.grabPath.string()), QStringLiteral("out.png"));
        QVERIFY(line.programPath.empty());
        QVERIFY(!line.viewMode);
        // An option at the end without its value is simply dropped.
        QVERIFY(parseStudioCommandLine({"--app-dir"}).appDir.empty());
        // The value may follow "=", and keeps its case.
        const auto joined = parseStudioCommandLine({"--app-dir=/Some/Dir", "--GRAB=Out.png", "--lang=en"});
        QCOMPARE(QString::fromStdString(joined.appDir.string()), QStringLiteral("/Some/Dir"));
        QCOMPARE(QString::fromStdString(joined.grabPath.string()), QStringLiteral("Out.png"));
        QVERIFY(joined.programPath.empty());
    }

    void simulatorStartOptions_data() {
        QTest::addColumn<QStringList>("args");
        QTest::addColumn<bool>("open");
        QTest::addColumn<int>("course");
        QTest::addColumn<bool>("play");
        QTest::newRow("none") << QStringList{} << false << -1 << false;
        QTest::newRow("simulator") << QStringList{"--simulator"} << true << -1 << false;
        QTest::newRow("course") << QStringList{"--course", "2"} << true << 2 << false;
        QTest::newRow("course=") << QStringList{"--COURSE=3"} << true << 3 << false;
        QTest::newRow("play") << QStringList{"--play"} << true << -1 << true;
        QTest::newRow("not a number") << QStringList{"--course=x2"} << false << -1 << false;
        QTest::newRow("negative") << QStringList{"--course=-1"} << false << -1 << false;
        QTest::newRow("missing value") << QStringList{"--course"} << false << -1 << false;
    }
    void simulatorStartOptions() {
        QFETCH(QStringList, args);
        std::vector<std::string> list;
        for (const QString& a : args) list.push_back(a.toStdString());
        list.push_back(m_existing);
        const auto line = parseStudioCommandLine(list);
        QTEST(line.openSimulator, "open");
        QTEST(line.course, "course");
        QTEST(line.play, "play");
        QVERIFY(!line.programPath.empty());  // the number is never taken for the program
    }
};

QTEST_MAIN(CommandLineTest)
#include "command_line_test.moc"
