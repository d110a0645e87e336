#include "windowsnames.h"

#include <QTest>

using namespace tessellon;

class TestWindowsNames : public QObject
{
    Q_OBJECT

private slots:
    void accepts_data();
    void accepts();
};

void TestWindowsNames::accepts_data()
{
    QTest::addColumn<QString>("path");
    QTest::addColumn<bool>("accepted");
    const QString dir = QStringLiteral("C:\\Maps\\");
    const auto row = [&](const char* name, bool ok) {
        QTest::newRow(name) << dir + QString::fromUtf8(name) << ok;
    };
    row("dungeon.bmp", true);
    row("maps\\castle.bmp", true);
    row("..\\up.bmp", true);
    row("con.bmp", false);
    row("CON", false);
    row("nul.png", false);
    row("Aux .bmp", false);
    row("prn.tar.gz", false);
    row("com1.bmp", false);
    row("LPT9", false);
    row("com\u00b9.bmp", false);
    row("com0.bmp", true);
    row("com10.bmp", true);
    row("console.bmp", true);
    row("nul\\x.bmp", false);
    row("a:b.bmp", false);
    row("a<b.bmp", false);
    row("a|b.bmp", false);
    row("a?.bmp", false);
    row("a*.bmp", false);
    row("a\"b.bmp", false);
    row("tab\t.bmp", false);
    row("dot.", false);
    row("space ", false);
    row("dir.\\x.bmp", false);
    QTest::newRow("long-path form") << QStringLiteral("\\\\?\\C:\\Maps\\x.bmp") << true;
    QTest::newRow("share") << QStringLiteral("\\\\server\\maps\\x.bmp") << true;
    QTest::newRow("long-path share") << QStringLiteral("\\\\?\\UNC\\server\\maps\\con") << false;
    QTest::newRow("device form") << QStringLiteral("\\\\.\\COM1") << false;
    QTest::newRow("slashes") << QStringLiteral("C:/Maps/aux.bmp") << false;
}

void TestWindowsNames::accepts()
{
    QFETCH(QString, path);
    QFETCH(bool, accepted);
    QCOMPARE(windowsAcceptsPath(path), accepted);
}

QTEST_GUILESS_MAIN(TestWindowsNames)
#include "tst_windowsnames.moc"
