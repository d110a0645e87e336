#include "keynames.h"

#include <QSet>
#include <QTest>

using tessellon::KeyName;

class TestKeyNames : public QObject
{
    Q_OBJECT

private slots:
    void named_data();
    void named();
    void unnamed_data();
    void unnamed();
    void wholeRangeHasExactly83DistinctNames();
};

void TestKeyNames::named_data()
{
    QTest::addColumn<int>("code");
    QTest::addColumn<QString>("name");
    const std::pair<int, const char*> single[] = {
        {8, "BACKSPACE"},
        {16, "SHIFT"},
        {17, "CTRL"},
        {19, "PAUSE"},
        {20, "CAPS LOCK"},
        {27, "ESC"},
        {32, "SPACEBAR"},
        {33, "PAGE UP"},
        {34, "PAGE DOWN"},
        {35, "END"},
        {36, "HOME"},
        {45, "INSERT"},
        {46, "DELETE"},
        {93, "MENU"},
        {106, "MULTIPLICATION SIGN (*)"},
        {107, "PLUS SIGN (+)"},
        {108, "ENTER"},
        {109, "MINUS SIGN (-)"},
        {110, "DECIMAL POINT (.)"},
        {111, "DIVISION SIGN (/)"},
        {144, "NUM LOCK"},
    };
    for (const auto& [code, name] : single)
        QTest::addRow("%d", code) << code << QString::fromLatin1(name);
    const char* digits = "0123456789";
    const char* letters = "ABCDEFGHIJKLMNOPQRSTUVWXYZ";
    for (int i = 0; i < 10; ++i) {
        QTest::addRow("%d", 48 + i) << 48 + i << QString(QChar::fromLatin1(digits[i]));
        QTest::addRow("%d", 96 + i) << 96 + i << QStringLiteral("Keypad ") + digits[i];
    }
    for (int i = 0; i < 26; ++i)
        QTest::addRow("%d", 65 + i) << 65 + i << QString(QChar::fromLatin1(letters[i]));
    for (int f = 1; f <= 16; ++f)
        QTest::addRow("%d", 111 + f) << 111 + f << QStringLiteral("F%1").arg(f);
}

void TestKeyNames::named()
{
    QFETCH(int, code);
    QFETCH(QString, name);
    QCOMPARE(KeyName(static_cast<qint16>(code)), name);
}

void TestKeyNames::unnamed_data()
{
    QTest::addColumn<int>("code");
    // Next to every range and single name, and the keys users try that must be refused.
    const int codes[] = {-32768, -1, 0,  7,  9,  13, 18,  37,  38,  39,  40,  44,  47,
                         58,     64, 91, 92, 94, 95, 145, 186, 192, 222, 255, 256, 32767};
    for (int code : codes)
        QTest::addRow("%d", code) << code;
    for (int code = 128; code <= 143; ++code)
        QTest::addRow("%d", code) << code;
}

void TestKeyNames::unnamed()
{
    QFETCH(int, code);
    QVERIFY(KeyName(static_cast<qint16>(code)).isEmpty());
}

void TestKeyNames::wholeRangeHasExactly83DistinctNames()
{
    QSet<QString> names;
    int named = 0;
    for (int code = -32768; code <= 32767; ++code) {
        const QString name = KeyName(static_cast<qint16>(code));
        if (name.isEmpty()) continue;
        ++named;
        names.insert(name);
    }
    QCOMPARE(named, 83);
    QCOMPARE(names.size(), 83); // a name leads back to one code only
}

QTEST_APPLESS_MAIN(TestKeyNames)
#include "tst_keynames.moc"
