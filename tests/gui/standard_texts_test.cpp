// Message boxes ask in the studio's language: the standard buttons come from the string table.

#include <QMessageBox>
#include <QPushButton>
#include <QtTest>

#include "app/gui/standard_texts.h"

using namespace trovel;

class StandardTextsTest : public QObject {
    Q_OBJECT

private slots:
    void buttonsFollowTheStringTable() {
        QMessageBox plain(QMessageBox::Question, "t", "q", QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel);
        QCOMPARE(plain.button(QMessageBox::Yes)->text(), QStringLiteral("&Yes"));

        StandardTextTranslator translator;
        QVERIFY(QCoreApplication::installTranslator(&translator));
        QMessageBox box(QMessageBox::Question, "t", "q",
                        QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel | QMessageBox::Ok);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), QStringLiteral("はい(&Y)"));
        QCOMPARE(box.button(QMessageBox::No)->text(), QStringLiteral("いいえ(&N)"));
        QCOMPARE(box.button(QMessageBox::Cancel)->text(), QStringLiteral("キャンセル"));
        QCOMPARE(box.button(QMessageBox::Ok)->text(), QStringLiteral("OK"));
        // Texts of other contexts are left to Qt.
        QVERIFY(translator.translate("QFileDialog", "&Yes").isEmpty());
        QCoreApplication::removeTranslator(&translator);
    }
};

QTEST_MAIN(StandardTextsTest)
#include "standard_texts_test.moc"
