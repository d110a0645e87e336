// Loads and saves behind the progress box: cancelled, they leave everything as it was, and
// no input reaches the window while the box shows.
#include "cursorshape.h"
#include "mapfile.h"
#include "picturebox.h"
#include "undoring.h"
#include "windowfixture.h"

#include <QDialog>
#include <QDir>
#include <QKeyEvent>
#include <QMimeData>
#include <QMouseEvent>
#include <QTimer>

using namespace tessellon;

namespace {

QImage stripes(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            img.setPixel(x, y, (x / 7 + y / 5) % 2 ? qRgb(0, 0, 0) : qRgb(255, 255, 255));
    return img;
}

// What a cancelled load or save must leave alone.
struct WindowState
{
    QImage canvas;
    QPoint canvasAt, cursor;
    QString caption, loadName, saveName;
    qint16 undoPosition;
    QString undoState;
    bool operator==(const WindowState&) const = default;
};

WindowState stateOf(frmTessellon& w)
{
    return {w.Canvas.image().copy(), w.picCanvas->pos(),   w.shpCursor->pos(),
            w.windowTitle(),         w.LoadFileName,       w.SaveFileName,
            w.Ring->position(),      w.Ring->record(1).State};
}

// A window with a stamp to undo, names, a caption, the cursor off the corner and the
// canvas scrolled away from (5, 5); the box shows at once.
void prepare(WindowFixture& f)
{
    f.window.shpCursor->move(60, 30);
    f.window.StampOverlay(1);
    f.window.LoadFileName = QStringLiteral("old");
    f.window.SaveFileName = QStringLiteral("older");
    f.window.setWindowTitle(QStringLiteral("Tessellon old.bmp"));
    f.window.moveCanvas(-25, 5);
    f.window.DrawGrid();
    f.window.progressBoxDelayMs = 0;
}

} // namespace

class TestLongWork : public QObject
{
    Q_OBJECT
private slots:
    void cancelledLoadChangesNothing_data();
    void cancelledLoadChangesNothing();
    void cancelledSaveKeepsTheOldFile();
    void noInputReachesTheWindowWhileTheBoxShows();
    void onlyEscapeOrCancelStopsTheBox();
    void closeWhileTheBoxShows_data();
    void closeWhileTheBoxShows();
};

void TestLongWork::cancelledLoadChangesNothing_data()
{
    QTest::addColumn<bool>("dropped");
    QTest::newRow("typed") << false;
    QTest::newRow("dropped") << true;
}

void TestLongWork::cancelledLoadChangesNothing()
{
    QFETCH(bool, dropped);
    WindowFixture f;
    QVERIFY(f.show());
    QVERIFY(stripes(900, 700).save(f.path(QStringLiteral("big.bmp")), "BMP"));
    prepare(f);
    const WindowState before = stateOf(f.window);
    f.dialogs->cancels = {true};
    f.dialogs->inputs = {QStringLiteral("big")};
    if (dropped)
        f.window.LoadDroppedFile(f.path(QStringLiteral("big.bmp")));
    else
        f.window.cmdLoad->click();
    QVERIFY(stateOf(f.window) == before);
    const auto& box = f.dialogs->asked.back(); // and no message after it
    QCOMPARE(box.kind, QStringLiteral("ProgressBox"));
    QCOMPARE(box.title, QStringLiteral("Loading"));
    QCOMPARE(box.text, QStringLiteral("big.bmp"));
    // the same load not cancelled goes through
    f.dialogs->inputs = {QStringLiteral("big")};
    f.window.cmdLoad->click();
    QCOMPARE(f.window.Canvas.size(), QSize(900, 700));
}

void TestLongWork::cancelledSaveKeepsTheOldFile()
{
    WindowFixture f;
    QVERIFY(f.show());
    QVERIFY(f.window.setCanvasSize(1500, 1200));
    prepare(f);
    const QByteArray old = "an old map that must stay as it is";
    writeFile(f.path(QStringLiteral("keep.bmp")), old);
    const QStringList files = QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden);
    const WindowState before = stateOf(f.window);
    f.dialogs->cancels = {true};
    f.dialogs->inputs = {QStringLiteral("keep")};
    f.window.cmdSave->click();
    QCOMPARE(readFile(f.path(QStringLiteral("keep.bmp"))), old);
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files | QDir::Hidden), files);
    const WindowState after = stateOf(f.window);
    QCOMPARE(after.caption, before.caption);
    QCOMPARE(after.saveName, before.saveName);
    QCOMPARE(after.loadName, before.loadName);
    QVERIFY(after.canvas == before.canvas); // the grid back on
    QCOMPARE(f.dialogs->asked.back().title, QStringLiteral("Saving"));
}

void TestLongWork::noInputReachesTheWindowWhileTheBoxShows()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.chkGrid->setChecked(false);
    const QImage picture = stripes(900, 700);
    QVERIFY(picture.save(f.path(QStringLiteral("big.bmp")), "BMP"));
    f.window.shpCursor->move(60, 30);
    f.window.CurrentTile = 1; // for R to stamp again
    f.window.progressBoxDelayMs = 0;
    // a move and a stamp by key and a click on the canvas, waiting to be handled when the
    // box starts handling events
    const auto post = [&f] {
        for (int key : {Qt::Key_D, Qt::Key_R})
            QCoreApplication::postEvent(f.window.cmdFob,
                                        new QKeyEvent(QEvent::KeyPress, key, Qt::NoModifier));
        QWidget* canvas = f.window.picCanvas;
        const QPoint at(200, 100);
        QCoreApplication::postEvent(canvas, new QMouseEvent(QEvent::MouseButtonPress, at,
                                                            canvas->mapToGlobal(at), Qt::LeftButton,
                                                            Qt::LeftButton, {}));
    };
    post();
    f.dialogs->inputs = {QStringLiteral("big")};
    f.window.cmdLoad->click();
    QCOMPARE(f.dialogs->asked.back().kind, QStringLiteral("ProgressBox"));
    QCOMPARE(f.window.Canvas.image(), picture);
    QCOMPARE(f.window.shpCursor->pos(), QPoint(60, 30));
    // the same input once the work is over does reach the window
    post();
    QCoreApplication::processEvents();
    QVERIFY(f.window.shpCursor->pos() != QPoint(60, 30));
    QVERIFY(f.window.Canvas.image() != picture);
}

void TestLongWork::onlyEscapeOrCancelStopsTheBox()
{
    QWidget parent;
    parent.show();
    QtDialogs dialogs(&parent);
    Progress progress;
    int keysLeftItRunning = 0;
    bool noBox = false; // ends the box's wait instead of hanging the test
    QTimer::singleShot(0, &parent, [&] {
        auto* box = parent.findChild<QDialog*>();
        noBox = !box || !QTest::qWaitForWindowActive(box);
        if (noBox) return;
        for (const auto& [key, mods] : {std::pair{Qt::Key_Return, Qt::NoModifier},
                                        std::pair{Qt::Key_Enter, Qt::KeypadModifier},
                                        std::pair{Qt::Key_Space, Qt::NoModifier}}) {
            QWidget* focus = QApplication::focusWidget();
            QTest::keyClick(focus ? focus : box, key, mods);
            keysLeftItRunning += box->isVisible() && !progress.stopRequested();
        }
        QTest::keyClick(box, Qt::Key_Escape);
    });
    QVERIFY(!dialogs.ProgressBox(QStringLiteral("Saving"), QStringLiteral("x.bmp"), progress,
                                 [&] { return noBox; }));
    QCOMPARE(keysLeftItRunning, 3);
    QVERIFY(progress.stopRequested());
}

void TestLongWork::closeWhileTheBoxShows_data()
{
    QTest::addColumn<QString>("how");       // "typed", "dropped" or "saved"
    QTest::addColumn<QString>("name");      // typed in the box
    QTest::addColumn<QString>("message"); // shown before the window closes
    // a close stops a load, so the canvas stays; a save runs to its end or its error
    QTest::newRow("typed load") << "typed" << "big" << "";
    QTest::newRow("dropped load") << "dropped" << "" << "";
    QTest::newRow("save") << "saved" << "out" << "";
    QTest::newRow("failing save") << "saved" << "dir" << "Error saving bitmap.";
}

void TestLongWork::closeWhileTheBoxShows()
{
    QFETCH(QString, how);
    QFETCH(QString, name);
    QFETCH(QString, message);
    WindowFixture f;
    QVERIFY(f.show());
    QVERIFY(stripes(900, 700).save(f.path(QStringLiteral("big.bmp")), "BMP"));
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("dir.bmp")));
    prepare(f);
    const QImage canvas = f.window.Canvas.image().copy();
    f.dialogs->inputs = {name};
    f.dialogs->answers = {msgbox::kOk};
    bool heldOpen = false;
    f.dialogs->whileShowing = [&] {
        f.window.close();
        heldOpen = f.window.isVisible();
    };
    if (how == QLatin1String("typed")) f.window.cmdLoad->click();
    if (how == QLatin1String("saved")) f.window.cmdSave->click();
    if (how == QLatin1String("dropped")) {
        QMimeData data;
        data.setUrls({QUrl::fromLocalFile(f.path(QStringLiteral("big.bmp")))});
        QDragEnterEvent enter(QPoint(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(f.window.picCanvas, &enter);
        QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &data, Qt::LeftButton, {});
        QCoreApplication::sendEvent(f.window.picCanvas, &drop);
        QVERIFY(f.dialogs->asked.empty()); // the drop returned before the load began
        QCoreApplication::processEvents();
    }
    QVERIFY(heldOpen && !f.window.isVisible());
    QVERIFY(QFile::exists(f.path(QStringLiteral("Tessellon.ini")))); // as any close stores it
    const auto& last = f.dialogs->asked.back();
    QCOMPARE(last.kind, message.isEmpty() ? QStringLiteral("ProgressBox") : QStringLiteral("MsgBox"));
    if (!message.isEmpty()) QCOMPARE(last.text, message);
    QCOMPARE(f.window.Canvas.image(), canvas);
    if (name == QLatin1String("out"))
        QCOMPARE(readPicture(f.path(QStringLiteral("out.bmp"))).image.size(), canvas.size());
}

QTEST_MAIN(TestLongWork)
#include "tst_longwork.moc"
