#include "cursorshape.h"
#include "testfiles.h"
#include "textbox.h"
#include "underwine.h"
#include "vbbuttons.h"
#include "windowfixture.h"

#include <QFile>
#include <QLabel>
#include <QTimer>

using namespace tessellon;

namespace {

using Started = WindowFixture;

const QString kResting = QStringLiteral(
    "To change a key binding, click the box containing the current binding once, then press "
    "the new key to bind.");

} // namespace

class TestSettings : public QObject
{
    Q_OBJECT
private slots:
    void firstRunWritesEveryKeyInOrder();
    void gridLines_data();
    void gridLines();
    void overlay_data();
    void overlay();
    void unconvertibleBindings();
    void windowPosition_data();
    void windowPosition();
    void lettersCaseAndForeignLinesSurvive();
    void bindingAKey();
    void refusedKeys_data();
    void refusedKeys();
    void leavingAClickedBox();
    void shiftArrivesFirst();
    void longNamesShowTheirStart();
};

void TestSettings::firstRunWritesEveryKeyInOrder()
{
    Started s;
    const QStringList boxes = {"W", "A", "D", "S", "Z", "Y", "R", "E", "1", "2", "3", "9", "0"};
    for (int i = 1; i <= 13; ++i) {
        QCOMPARE(s.window.txtKeyBindings(i)->text(), boxes[i - 1]);
        QCOMPARE(s.window.txtKeyBindings(i)->toolTip(), boxes[i - 1]);
    }
    QCOMPARE(s.window.chkGrid->Value(), 1);
    QVERIFY(s.window.tmrDrawInitialGrid->isActive());
    QVERIFY(s.window.optDefaultOverlay[1]->isChecked());
    s.window.move(0, 0);
    s.window.close();
    const QStringList lines = s.ini().split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList expected = {"[HotKeyBindings]", "Up=87", "Left=65", "Right=68", "Down=83",
                                  "Undo=90", "Redo=89", "Repeat=82", "Erase=69", "Tab1=49",
                                  "Tab2=50", "Tab3=51", "1x1=57", "3x3=48", "[Settings]",
                                  "GridLines=True", "Overlay=Left", "FormLeft=0", "FormTop=0"};
    QCOMPARE(lines, expected);
}

void TestSettings::gridLines_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<int>("grid");
    QTest::newRow("empty") << QByteArray("") << 1;
    QTest::newRow("yes") << QByteArray("yes") << 1;
    QTest::newRow("1") << QByteArray("1") << 1;
    QTest::newRow("true") << QByteArray("TRUE") << 1;
    QTest::newRow("FALSE") << QByteArray("FALSE") << 0;
    QTest::newRow("false with blanks") << QByteArray("  False ") << 0;
    QTest::newRow("0") << QByteArray("0") << 0;
}

void TestSettings::gridLines()
{
    QFETCH(QByteArray, value);
    QFETCH(int, grid);
    Started s("[Settings]\nGridLines=" + value + "\n");
    QCOMPARE(s.window.chkGrid->Value(), grid);
    QCOMPARE(s.window.tmrDrawInitialGrid->isActive(), grid == 1);
    // the start-up click drew the grid over the description-size canvas, or nothing
    QCOMPARE(s.window.Canvas.Point(30, 1) == kGridColour, grid == 1);
    s.window.close();
    QVERIFY(s.ini().contains(grid ? QStringLiteral("GridLines=True") : QStringLiteral("GridLines=False")));
}

void TestSettings::overlay_data()
{
    QTest::addColumn<QByteArray>("value");
    QTest::addColumn<bool>("right");
    QTest::newRow("RIGHT") << QByteArray("RIGHT") << true;
    QTest::newRow("Right and a blank") << QByteArray("Right ") << true;
    QTest::newRow("r") << QByteArray("r") << false;
    QTest::newRow("left") << QByteArray("left") << false;
}

void TestSettings::overlay()
{
    QFETCH(QByteArray, value);
    QFETCH(bool, right);
    Started s("[Settings]\nOverlay=" + value + "\n");
    QCOMPARE(s.window.optDefaultOverlay[0]->isChecked(), right);
    QCOMPARE(s.window.optDefaultOverlay[1]->isChecked(), !right);
    QVERIFY(s.window.FormLoaded);
    s.window.close();
    QVERIFY(s.ini().contains(right ? QStringLiteral("Overlay=Right") : QStringLiteral("Overlay=Left")));
}

void TestSettings::unconvertibleBindings()
{
    Started s("[HotKeyBindings]\nUp=abc\nLeft=70000\nRight=38\nDown=82.5\n");
    QCOMPARE(s.window.KeyCodes[1], qint16(0));
    QCOMPARE(s.window.KeyCodes[2], qint16(0));
    QCOMPARE(s.window.KeyCodes[3], qint16(38)); // the up arrow: no name, but it serves
    QCOMPARE(s.window.KeyCodes[4], qint16(82)); // rounded to even
    QCOMPARE(s.window.txtKeyBindings(1)->text(), QString());
    QCOMPARE(s.window.txtKeyBindings(3)->text(), QString());
    QCOMPARE(s.window.txtKeyBindings(4)->text(), QStringLiteral("R"));
    // an unbound action is never triggered by an unknown key
    s.window.shpCursor->move(60, 60);
    s.window.cmdFob_KeyDown(0, 0);
    QCOMPARE(s.window.shpCursor->pos(), QPoint(60, 60));
    s.window.cmdFob_KeyDown(38, 0); // moves right
    QCOMPARE(s.window.shpCursor->pos(), QPoint(90, 60));
    s.window.close();
    const QString ini = s.ini();
    QVERIFY(ini.contains(QStringLiteral("Up=0")));
    QVERIFY(ini.contains(QStringLiteral("Left=0")));
    QVERIFY(ini.contains(QStringLiteral("Right=38")));
}

void TestSettings::windowPosition_data()
{
    // platform: where the platform puts the window, played by a move before it is shown (none
    // when both edges convert: the loaded place would be overridden). first: the place once
    // shown, or after `moved`; next: the place at the next start, from what closing wrote.
    QTest::addColumn<QByteArray>("settings");
    QTest::addColumn<QPoint>("platform");
    QTest::addColumn<QPoint>("moved");
    QTest::addColumn<QPoint>("first");
    QTest::addColumn<QPoint>("next");
    const QPoint none;
    QTest::newRow("both convert") << QByteArray("[Settings]\nFormLeft=-1500\nFormTop=450\n") << none
                                  << none << QPoint(-100, 30) << QPoint(-100, 30);
    QTest::newRow("moved") << QByteArray() << none << QPoint(20, 30) << QPoint(20, 30)
                           << QPoint(20, 30);
    // -32768 twips is -2185 px, which is -32775 twips: written as -32768
    QTest::newRow("16-bit edges") << QByteArray("[Settings]\nFormLeft=-32768\nFormTop=32767\n")
                                  << none << none << QPoint(-2185, 2184) << QPoint(-2185, 2184);
    QTest::newRow("beyond 16 bits") << QByteArray() << none << QPoint(-3000, 2500)
                                    << QPoint(-3000, 2500) << QPoint(-2185, 2184);
    QTest::newRow("only the left") << QByteArray("[Settings]\nFormLeft=300\nFormTop=40000\n")
                                   << QPoint(77, 88) << none << QPoint(20, 88) << QPoint(20, 88);
    QTest::newRow("only the top") << QByteArray("[Settings]\nFormLeft=abc\nFormTop=1500\n")
                                  << QPoint(77, 88) << none << QPoint(77, 100) << QPoint(77, 100);
    QTest::newRow("neither") << QByteArray("[Settings]\nFormLeft=\nFormTop=1e9\n") << QPoint(77, 88)
                             << none << QPoint(77, 88) << QPoint(77, 88);
}

void TestSettings::windowPosition()
{
    QFETCH(QByteArray, settings);
    QFETCH(QPoint, platform);
    QFETCH(QPoint, moved);
    QFETCH(QPoint, first);
    QFETCH(QPoint, next);
    if (underWine() && first.x() < 0 && moved.isNull())
        QSKIP("Wine starts a window left of the screen by its border's width further in");
    QByteArray written;
    {
        Started s(settings);
        if (!platform.isNull()) s.window.move(platform);
        QVERIFY(s.show());
        if (!moved.isNull()) s.window.move(moved);
        QTRY_COMPARE(s.window.pos(), first);
        s.window.close();
        written = s.ini().toLatin1();
    }
    QCOMPARE(Started(written).window.pos(), next);
}

void TestSettings::lettersCaseAndForeignLinesSurvive()
{
    const QByteArray ini = "; my bindings\n[hotkeybindings]\nUNDO=116\nFavourite=12\n\n"
                           "[settings]\ngridlines=false\n[Other]\nkeep=me\n";
    Started s(ini);
    QCOMPARE(s.window.KeyCodes[5], qint16(116));
    QCOMPARE(s.window.txtKeyBindings(5)->text(), QStringLiteral("F5"));
    QCOMPARE(s.window.chkGrid->Value(), 0);
    s.window.close();
    const QString after = s.ini();
    for (const char* kept : {"; my bindings", "Favourite=12", "[Other]\nkeep=me"})
        QVERIFY2(after.contains(QLatin1String(kept)), kept);
    // the existing key was replaced in its own line, ahead of the unknown one
    QVERIFY(after.indexOf(QStringLiteral("Undo=116")) < after.indexOf(QStringLiteral("Favourite=12")));
    QCOMPARE(after.count(QStringLiteral("[settings]"), Qt::CaseInsensitive), 1);
    QCOMPARE(after.count(QStringLiteral("Undo="), Qt::CaseInsensitive), 1);
}

void TestSettings::bindingAKey()
{
    WindowFixture f;
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.optTileSets[3]->select();
    TextBox* undoBox = w.txtKeyBindings(5);
    QTest::mouseClick(undoBox, Qt::LeftButton);
    QCOMPARE(undoBox->text(), QString());
    QCOMPARE(w.lblCustomize(0)->text(), QStringLiteral("Press New Key to Bind for the action [Undo]."));
    QTest::keyClick(undoBox, Qt::Key_F5);
    QCOMPARE(w.KeyCodes[5], qint16(116));
    QCOMPARE(undoBox->text(), QStringLiteral("F5"));
    QCOMPARE(undoBox->toolTip(), QStringLiteral("F5"));
    QCOMPARE(w.lblCustomize(0)->text(), kResting);
    QCOMPARE(QApplication::focusWidget(), w.cmdFob);
    // the next F5 undoes a recorded stamp; Z no longer does
    w.shpCursor->move(30, 30);
    const QImage before = w.Canvas.image().copy();
    w.PushUndo(1);
    w.StampOverlay(1);
    w.PushRedo();
    const QImage stamped = w.Canvas.image().copy();
    QTest::keyClick(w.cmdFob, Qt::Key_Z);
    QCOMPARE(w.Canvas.image(), stamped);
    QTest::keyClick(w.cmdFob, Qt::Key_F5);
    QCOMPARE(w.Canvas.image(), before);
    // the ninth caption reads with its blank
    QTest::mouseClick(w.txtKeyBindings(9), Qt::LeftButton);
    QCOMPARE(w.lblCustomize(0)->text(), QStringLiteral("Press New Key to Bind for the action [Tab 1]."));
}

void TestSettings::refusedKeys_data()
{
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::newRow("up arrow") << int(Qt::Key_Up) << 0;
    QTest::newRow("left arrow") << int(Qt::Key_Left) << 0;
    QTest::newRow("ordinary Enter") << int(Qt::Key_Return) << 0;
    QTest::newRow("Alt") << int(Qt::Key_Alt) << 0;
    QTest::newRow("semicolon") << int(Qt::Key_Semicolon) << 0;
}

void TestSettings::refusedKeys()
{
    QFETCH(int, key);
    QFETCH(int, modifiers);
    WindowFixture f;
    QVERIFY(f.show());
    f.window.optTileSets[3]->select();
    TextBox* box = f.window.txtKeyBindings(2);
    QTest::mouseClick(box, Qt::LeftButton);
    f.dialogs->answers = {msgbox::kOk};
    QTest::keyClick(box, Qt::Key(key), Qt::KeyboardModifiers(modifiers));
    QCOMPARE(f.dialogs->asked.size(), size_t(1));
    QCOMPARE(f.dialogs->asked[0].text,
             QStringLiteral("Please use another key, the key you pressed isn't available for binding."));
    QCOMPARE(f.dialogs->asked[0].title, QStringLiteral("Error"));
    QCOMPARE(f.dialogs->asked[0].style, 0);
    QCOMPARE(f.window.KeyCodes[2], qint16(65));
    QCOMPARE(box->text(), QStringLiteral("A"));
    QCOMPARE(f.window.lblCustomize(0)->text(), kResting);
}

void TestSettings::leavingAClickedBox()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.optTileSets[3]->select();
    QTest::mouseClick(f.window.txtKeyBindings(7), Qt::LeftButton);
    QCOMPARE(f.window.txtKeyBindings(7)->text(), QString());
    QTest::mouseClick(f.window.txtKeyBindings(8), Qt::LeftButton); // focus leaves box 7
    QCOMPARE(f.window.txtKeyBindings(7)->text(), QStringLiteral("R"));
    QCOMPARE(f.window.lblCustomize(0)->text(), QStringLiteral("Press New Key to Bind for the action [Erase]."));
    f.window.cmdFob->setFocus();
    QCOMPARE(f.window.txtKeyBindings(8)->text(), QStringLiteral("E"));
    QCOMPARE(f.window.lblCustomize(0)->text(), kResting);
    QVERIFY(f.dialogs->asked.empty());
}

void TestSettings::shiftArrivesFirst()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.optTileSets[3]->select();
    TextBox* box = f.window.txtKeyBindings(1);
    QTest::mouseClick(box, Qt::LeftButton);
    QTest::keyPress(box, Qt::Key_Shift, Qt::ShiftModifier);
    QCOMPARE(f.window.KeyCodes[1], qint16(16));
    QCOMPARE(box->text(), QStringLiteral("SHIFT"));
    // the keypad binds with its own names
    QTest::mouseClick(f.window.txtKeyBindings(2), Qt::LeftButton);
    QTest::keyClick(f.window.txtKeyBindings(2), Qt::Key_Plus, Qt::KeypadModifier);
    QCOMPARE(f.window.txtKeyBindings(2)->text(), QStringLiteral("PLUS SIGN (+)"));
    QTest::mouseClick(f.window.txtKeyBindings(3), Qt::LeftButton);
    QTest::keyClick(f.window.txtKeyBindings(3), Qt::Key_7, Qt::KeypadModifier);
    QCOMPARE(f.window.txtKeyBindings(3)->text(), QStringLiteral("Keypad 7"));
}

void TestSettings::longNamesShowTheirStart()
{
    WindowFixture f("[HotKeyBindings]\nUp=8\nRight=34\n");
    QVERIFY(f.show());
    frmTessellon& w = f.window;
    w.optTileSets[3]->select();
    QTest::mouseClick(w.txtKeyBindings(5), Qt::LeftButton);
    QTest::keyClick(w.txtKeyBindings(5), Qt::Key_Backspace);
    for (int i : {1, 3, 5}) { // BACKSPACE, PAGE DOWN, BACKSPACE bound by a key
        TextBox* box = w.txtKeyBindings(i);
        QVERIFY(box->fontMetrics().horizontalAdvance(box->text()) > box->width());
        box->grab(); // lays the text out as drawn
        // the caret stands before the first letter, at the box's left
        const int caret = box->inputMethodQuery(Qt::ImCursorRectangle).toRect().center().x();
        QVERIFY2(box->cursorPosition() == 0 && caret >= 0 && caret < box->width() / 2,
                 qPrintable(box->text()));
        QCOMPARE(box->toolTip(), box->text());
    }
}

QTEST_MAIN(TestSettings)
#include "tst_settings.moc"
