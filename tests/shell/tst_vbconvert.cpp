#include "vbconvert.h"

#include <QTest>

using tessellon::toInt16;
using tessellon::truthValue;

class TestVbConvert : public QObject
{
    Q_OBJECT

private slots:
    void int16_data();
    void int16();
    void truth_data();
    void truth();
};

void TestVbConvert::int16_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("converts");
    QTest::addColumn<int>("value");
    QTest::newRow("plain") << "87" << true << 87;
    QTest::newRow("blanks around") << " 87 " << true << 87;
    QTest::newRow("tab around") << "\t87\t" << true << 87;
    QTest::newRow("plus sign") << "+5" << true << 5;
    QTest::newRow("negative") << "-1500" << true << -1500;
    QTest::newRow("lowest") << "-32768" << true << -32768;
    QTest::newRow("highest") << "32767" << true << 32767;
    QTest::newRow("one above") << "32768" << false << 0;
    QTest::newRow("one below") << "-32769" << false << 0;
    QTest::newRow("70000") << "70000" << false << 0;
    QTest::newRow("40000") << "40000" << false << 0;
    QTest::newRow("12.5 to even") << "12.5" << true << 12;
    QTest::newRow("13.5 to even") << "13.5" << true << 14;
    QTest::newRow("-2.5 to even") << "-2.5" << true << -2;
    QTest::newRow("12.51 up") << "12.51" << true << 13;
    QTest::newRow("0.5 to zero") << ".5" << true << 0;
    QTest::newRow("trailing point") << "7." << true << 7;
    QTest::newRow("rounds out of range") << "32767.5" << false << 0;
    QTest::newRow("rounds into range") << "-32768.5" << true << -32768;
    QTest::newRow("exponent") << "1e3" << true << 1000;
    QTest::newRow("negative exponent") << "25E-1" << true << 2;
    QTest::newRow("huge exponent") << "1e400" << false << 0;
    QTest::newRow("negative huge exponent") << "-12.5e400" << false << 0;
    QTest::newRow("tiny exponent is zero") << "1e-400" << true << 0;
    QTest::newRow("tiny negative is zero") << "-0.0005e-400" << true << 0;
    QTest::newRow("abc") << "abc" << false << 0;
    QTest::newRow("empty") << "" << false << 0;
    QTest::newRow("blank") << "   " << false << 0;
    QTest::newRow("hex") << "&H10" << false << 0;
    QTest::newRow("c hex") << "0x10" << false << 0;
    QTest::newRow("trailing text") << "12abc" << false << 0;
    QTest::newRow("inner blank") << "1 2" << false << 0;
    QTest::newRow("sign alone") << "-" << false << 0;
    QTest::newRow("point alone") << "." << false << 0;
    QTest::newRow("exponent without digits") << "1e" << false << 0;
    QTest::newRow("comma") << "1,5" << false << 0;
    QTest::newRow("inf") << "inf" << false << 0;
    QTest::newRow("nan") << "nan" << false << 0;
    QTest::newRow("double sign") << "--5" << false << 0;
}

void TestVbConvert::int16()
{
    QFETCH(QString, text);
    QFETCH(bool, converts);
    QFETCH(int, value);
    const std::optional<qint16> result = toInt16(text);
    QCOMPARE(result.has_value(), converts);
    if (converts) QCOMPARE(int(*result), value);
}

void TestVbConvert::truth_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<bool>("isTruth");
    QTest::addColumn<bool>("value");
    QTest::newRow("empty") << "" << false << false;
    QTest::newRow("yes") << "yes" << false << false;
    QTest::newRow("1") << "1" << true << true;
    QTest::newRow("FALSE") << "FALSE" << true << false;
    QTest::newRow("false") << "false" << true << false;
    QTest::newRow("0") << "0" << true << false;
    QTest::newRow("0.0") << "0.0" << true << false;
    QTest::newRow("-0") << "-0" << true << false;
    QTest::newRow("True") << "True" << true << true;
    QTest::newRow("-1") << "-1" << true << true;
    QTest::newRow("large number") << "70000" << true << true;
    QTest::newRow("fraction") << "0.25" << true << true;
    QTest::newRow("blanks") << " false " << true << false;
    QTest::newRow("falsey") << "falsey" << false << false;
}

void TestVbConvert::truth()
{
    QFETCH(QString, text);
    QFETCH(bool, isTruth);
    QFETCH(bool, value);
    bool ok = !isTruth; // must be overwritten either way
    QCOMPARE(truthValue(text, ok), value);
    QCOMPARE(ok, isTruth);
}

QTEST_APPLESS_MAIN(TestVbConvert)
#include "tst_vbconvert.moc"
