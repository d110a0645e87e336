#include "cursorshape.h"
#include "testfiles.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "vbbuttons.h"
#include "windowfixture.h"

#include <QDir>
#include <QFile>
#include <QMimeData>
#include <QUrl>

#ifndef _WIN32
#include <sys/stat.h>
#endif

using namespace tessellon;

namespace {

// A picture with a black border and a red pixel, saved with Qt's own writer.
QImage samplePicture(int w, int h)
{
    QImage img(w, h, QImage::Format_RGB32);
    img.fill(Qt::white);
    for (int x = 0; x < w; ++x) img.setPixel(x, 0, qRgb(0, 0, 0));
    img.setPixel(w / 2, h / 2, qRgb(255, 0, 0));
    return img;
}

void writeSample(const QString& path, int w, int h)
{
    QVERIFY(samplePicture(w, h).save(path, "BMP"));
}

void drop(QWidget* target, const QList<QUrl>& urls, const QString& text = {},
          QPoint at = QPoint(-1, -1))
{
    QMimeData data;
    if (!urls.isEmpty()) data.setUrls(urls);
    if (!text.isEmpty()) data.setText(text);
    if (at == QPoint(-1, -1)) at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents(); // the load runs once the drop has returned
}

const QString kLoadError = QStringLiteral(
    "Unable to load file, please ensure name is correct and the file is a valid bitmap.");
const QString kDropError = QStringLiteral("File format not supported, unable to load.");

} // namespace

class TestFiles : public QObject
{
    Q_OBJECT
private slots:
    void loadNamesAndEndings_data();
    void loadNamesAndEndings();
    void loadFailureKeepsTheCanvas();
    void cancelledBoxes();
    void namesCarryBetweenLoadAndSave();
    void saveInSubdirectory();
    void savedFilesNeverHoldTheGrid();
    void failedSaveKeepsTheOldFile();
    void clearYesAndNo();
    void drops();
    void loadedPictureBeyondTypedLimit();
};

void TestFiles::loadNamesAndEndings_data()
{
    QTest::addColumn<QString>("typed");
    QTest::addColumn<QString>("file");
    QTest::addColumn<QString>("caption");
    QTest::newRow("bare name") << "dungeon" << "dungeon.bmp" << "Tessellon dungeon.bmp";
    QTest::newRow("with .bmp") << "dungeon.bmp" << "dungeon.bmp" << "Tessellon dungeon.bmp";
    QTest::newRow("upper-case ending is part of the name")
        << "dungeon.BMP" << "dungeon.BMP.bmp" << "Tessellon dungeon.BMP.bmp";
    QTest::newRow("picture ending: that file, read by content")
        << "dungeon.Png" << "dungeon.Png" << "Tessellon dungeon.Png";
}

void TestFiles::loadNamesAndEndings()
{
    QFETCH(QString, typed);
    QFETCH(QString, file);
    QFETCH(QString, caption);
    WindowFixture f;
    QVERIFY(f.show());
    writeSample(f.path(file), 40, 35);
    f.window.shpCursor->move(300, 90);
    f.dialogs->inputs = {typed};
    f.window.cmdLoad->click();
    QCOMPARE(f.dialogs->unanswered, 0);
    QCOMPARE(f.dialogs->asked.size(), size_t(1)); // no error box
    QCOMPARE(f.dialogs->asked[0].title, QStringLiteral("Load Map"));
    QCOMPARE(f.window.Canvas.size(), QSize(40, 35));
    QCOMPARE(f.window.Canvas.Point(0, 0), kBlack);
    QCOMPARE(f.window.Canvas.Point(20, 17), VbColor(0x000000FF));
    QCOMPARE(f.window.windowTitle(), caption);
    QCOMPARE(f.window.LoadFileName, f.window.SaveFileName);
    QVERIFY(!f.window.LoadFileName.endsWith(QStringLiteral(".bmp")));
    // a typed load keeps the cursor, even outside the smaller canvas
    QCOMPARE(f.window.shpCursor->pos(), QPoint(300, 90));
    QCOMPARE(f.window.picCanvas->size(), QSize(40, 35));
    QCOMPARE(f.window.HScroll->Max(), 40);
    QCOMPARE(QApplication::focusWidget(), f.window.cmdFob);
    // the grid is drawn over the loaded picture
    QVERIFY(gridDots(f.window.Canvas.image()) > 0);
}

void TestFiles::loadFailureKeepsTheCanvas()
{
    WindowFixture f;
    QVERIFY(f.show());
    writeFile(f.path(QStringLiteral("notes.bmp")), "this is no picture");
    // a bitmap cut short, and where a folder can hold one, a named pipe that nobody writes to
    // (must not block)
    writeSample(f.path(QStringLiteral("cut.bmp")), 40, 35);
    writeFile(f.path(QStringLiteral("cut.bmp")),
              readFile(f.path(QStringLiteral("cut.bmp"))).chopped(9));
    QStringList names = {QStringLiteral("missing"), QStringLiteral("notes"), QStringLiteral("cut")};
#ifndef _WIN32
    QCOMPARE(mkfifo(QFile::encodeName(f.path(QStringLiteral("pipe.bmp"))).constData(), 0600), 0);
    names << QStringLiteral("pipe");
#endif
    f.window.setWindowTitle(QStringLiteral("Tessellon old.bmp"));
    f.window.SaveFileName = QStringLiteral("old");
    const QImage before = f.window.Canvas.image().copy();
    for (const QString& name : names) {
        f.dialogs->asked.clear();
        f.dialogs->inputs = {name};
        f.dialogs->answers = {msgbox::kOk};
        f.window.cmdLoad->click();
        QCOMPARE(f.dialogs->asked.size(), size_t(2));
        QCOMPARE(f.dialogs->asked[1].text, kLoadError);
        QCOMPARE(f.dialogs->asked[1].title, QStringLiteral("Error"));
        QCOMPARE(f.dialogs->asked[1].style, 0);
        QCOMPARE(f.window.Canvas.image(), before);
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Tessellon"));
        QCOMPARE(f.window.LoadFileName, name); // offered again next time
        QCOMPARE(f.window.SaveFileName, QStringLiteral("old"));
        QCOMPARE(QApplication::focusWidget(), f.window.cmdFob);
    }
    f.dialogs->inputs = {QString()};
    f.window.cmdLoad->click();
    QCOMPARE(f.dialogs->asked.back().defaultText, names.last());
}

void TestFiles::cancelledBoxes()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.LoadFileName = f.window.SaveFileName = QStringLiteral("keep");
    f.window.setWindowTitle(QStringLiteral("Tessellon keep.bmp"));
    const QImage before = f.window.Canvas.image().copy();
    // Cancel and ".bmp" alone both leave an empty name: nothing loaded, both names emptied
    for (const QString& reply : {QString(), QStringLiteral(".bmp")}) {
        f.window.LoadFileName = f.window.SaveFileName = QStringLiteral("keep");
        f.dialogs->inputs = {reply};
        f.window.cmdLoad->click();
        QCOMPARE(f.window.Canvas.image(), before);
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Tessellon keep.bmp"));
        QVERIFY(f.window.LoadFileName.isEmpty());
        QVERIFY(f.window.SaveFileName.isEmpty());
    }
    // a cancelled save writes nothing but still takes the grid off and puts it back
    f.dialogs->inputs = {QString()};
    f.window.cmdSave->click();
    QCOMPARE(QDir(f.dir.path()).entryList(QDir::Files), QStringList());
    QCOMPARE(f.window.Canvas.image(), before);
    QCOMPARE(f.dialogs->unanswered, 0);
}

void TestFiles::namesCarryBetweenLoadAndSave()
{
    WindowFixture f;
    QVERIFY(f.show());
    writeSample(f.path(QStringLiteral("castle.bmp")), 31, 31);
    f.dialogs->inputs = {QStringLiteral("castle"), QString(), QStringLiteral("keep"), QString()};
    f.window.cmdLoad->click();
    f.window.cmdSave->click(); // cancelled: offered castle
    QCOMPARE(f.dialogs->asked[1].defaultText, QStringLiteral("castle"));
    QCOMPARE(f.dialogs->asked[1].title, QStringLiteral("Save Map"));
    QCOMPARE(f.dialogs->asked[1].text,
             QStringLiteral("All files are saved to the directory containing this program. "
                            "Please enter a name for the file:"));
    f.window.cmdSave->click();
    QVERIFY(QFile::exists(f.path(QStringLiteral("keep.bmp"))));
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Tessellon keep.bmp"));
    f.window.cmdLoad->click();
    QCOMPARE(f.dialogs->asked[3].defaultText, QStringLiteral("keep"));
}

void TestFiles::saveInSubdirectory()
{
    WindowFixture f;
    QVERIFY(f.show());
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("maps")));
    f.window.Canvas.PSet(3, 4, kBlack);
    f.dialogs->inputs = {QStringLiteral("maps\\castle"), QStringLiteral("maps\\castle")};
    f.window.cmdSave->click();
    const QString saved = f.path(QStringLiteral("maps/castle.bmp"));
    QVERIFY(QFile::exists(saved));
    QCOMPARE(QImage(saved).pixel(3, 4) & 0xFFFFFF, 0u);
    f.window.Canvas.PSet(3, 4, kWhite);
    f.window.cmdLoad->click();
    QCOMPARE(f.window.Canvas.Point(3, 4), kBlack);
}

void TestFiles::savedFilesNeverHoldTheGrid()
{
    for (int grid : {1, 0}) {
        WindowFixture f;
        QVERIFY(f.show());
        f.window.chkGrid->setValue(grid);
        f.window.Canvas.fillRect(QRect(25, 25, 10, 10), kBlack); // a line across a grid line
        const QImage onScreen = f.window.Canvas.image().copy();
        f.dialogs->inputs = {QStringLiteral("dungeon")};
        f.window.cmdSave->click();
        const QImage saved(f.path(QStringLiteral("dungeon.bmp")));
        QCOMPARE(saved.size(), f.window.Canvas.size());
        QCOMPARE(gridDots(saved), 0);
        QCOMPARE(saved.pixel(30, 30) & 0xFFFFFF, 0u);
        QCOMPARE(saved.pixel(30, 61) & 0xFFFFFF, 0xFFFFFFu);
        // the canvas shows exactly what it showed before, grid included
        QCOMPARE(f.window.Canvas.image(), onScreen);
        QCOMPARE(gridDots(onScreen) > 0, grid == 1);
    }
}

void TestFiles::failedSaveKeepsTheOldFile()
{
    WindowFixture f;
    QVERIFY(f.show());
    // an old map, then a directory standing where the temporary file or the map must go
    writeSample(f.path(QStringLiteral("old.bmp")), 20, 20);
    const QByteArray old = readFile(f.path(QStringLiteral("old.bmp")));
    QVERIFY(QDir(f.dir.path()).mkdir(QStringLiteral("taken.bmp")));
    writeFile(f.path(QStringLiteral("plain")), QByteArray());
    f.window.LoadFileName = QStringLiteral("before");
    const QImage canvas = f.window.Canvas.image().copy();
    for (const QString& name : {QStringLiteral("taken"), QStringLiteral("plain\\x")}) {
        f.dialogs->asked.clear();
        f.dialogs->inputs = {name};
        f.dialogs->answers = {msgbox::kOk};
        f.window.cmdSave->click();
        QCOMPARE(f.dialogs->asked.size(), size_t(2));
        QCOMPARE(f.dialogs->asked[1].text, QStringLiteral("Error saving bitmap."));
        QCOMPARE(f.dialogs->asked[1].title, QStringLiteral("Error"));
        QCOMPARE(f.window.windowTitle(), QStringLiteral("Tessellon"));
        QCOMPARE(f.window.SaveFileName, name);
        QCOMPARE(f.window.LoadFileName, QStringLiteral("before"));
        QCOMPARE(f.window.Canvas.image(), canvas); // grid back on screen, nothing else
        QCOMPARE(QApplication::focusWidget(), f.window.cmdFob);
    }
    QCOMPARE(readFile(f.path(QStringLiteral("old.bmp"))), old);
    // saving over an existing map replaces it without a question
    f.dialogs->asked.clear();
    f.dialogs->inputs = {QStringLiteral("old")};
    f.window.cmdSave->click();
    QCOMPARE(f.dialogs->asked.size(), size_t(1));
    QCOMPARE(QImage(f.path(QStringLiteral("old.bmp"))).size(), f.window.Canvas.size());
    QCOMPARE(QDir(f.dir.path()).entryList({QStringLiteral("*.bmp*")}, QDir::Files).size(), 1);
}

void TestFiles::clearYesAndNo()
{
    WindowFixture f;
    QVERIFY(f.show());
    f.window.Canvas.fillRect(QRect(0, 0, 100, 50), kBlack);
    f.window.shpCursor->move(60, 30);
    const QSize size = f.window.Canvas.size();
    const QImage drawn = f.window.Canvas.image().copy();
    f.dialogs->answers = {msgbox::kNo};
    f.window.cmdClear->click();
    QCOMPARE(f.dialogs->asked[0].text, QStringLiteral("Clear all work from the canvas?"));
    QCOMPARE(f.dialogs->asked[0].title, QStringLiteral("Clear Canvas"));
    QCOMPARE(f.dialogs->asked[0].style, 308);
    QCOMPARE(f.window.Canvas.image(), drawn);
    QCOMPARE(QApplication::focusWidget(), f.window.cmdFob);
    f.dialogs->answers = {msgbox::kYes};
    f.window.cmdClear->click();
    QCOMPARE(f.window.Canvas.size(), size);
    QCOMPARE(f.window.Canvas.Point(10, 10), kWhite);
    QCOMPARE(f.window.Canvas.Point(size.width() - 1, size.height() - 1), kWhite);
    QCOMPARE(f.window.Canvas.Point(30, 31), kGridColour); // grid drawn again
    QCOMPARE(f.window.shpCursor->pos(), QPoint(60, 30));
}

void TestFiles::drops()
{
    WindowFixture f;
    QVERIFY(f.show());
    writeSample(f.path(QStringLiteral("a.png")), 50, 40);
    writeSample(f.path(QStringLiteral("b.bmp")), 70, 60);
    writeFile(f.path(QStringLiteral("notes.txt")), "not a picture\n");
    auto url = [&](const char* name) { return QUrl::fromLocalFile(f.path(QLatin1String(name))); };

    // three files dropped on the canvas: only the first is loaded, in any format
    f.window.LoadFileName = f.window.SaveFileName = QStringLiteral("named");
    f.window.shpCursor->move(90, 60);
    drop(f.window.picCanvas, {url("a.png"), url("b.bmp"), url("notes.txt")});
    QCOMPARE(f.window.Canvas.size(), QSize(50, 40));
    QCOMPARE(f.window.shpCursor->pos(), QPoint(0, 0));
    QVERIFY(f.window.LoadFileName.isEmpty() && f.window.SaveFileName.isEmpty());
    QCOMPARE(f.window.windowTitle(), QStringLiteral("Tessellon"));
    QVERIFY(f.dialogs->asked.empty());

    // on the view frame and on the window itself too
    drop(f.window.picScrollContainer, {url("b.bmp")});
    QCOMPARE(f.window.Canvas.size(), QSize(70, 60));
    drop(&f.window, {url("a.png")}, {}, QPoint(2, 400)); // the window's own background
    QCOMPARE(f.window.Canvas.size(), QSize(50, 40));
    // over another control the window refuses the drop instead of taking it
    drop(&f.window, {url("b.bmp")}, {}, f.window.picBaseTile(27)->mapTo(&f.window, QPoint(3, 3)));
    QCOMPARE(f.window.Canvas.size(), QSize(50, 40));

    // a text file or a named pipe: the message, and nothing changes but the canvas position
    QList<const char*> refused = {"notes.txt"};
#ifndef _WIN32
    QCOMPARE(mkfifo(QFile::encodeName(f.path(QStringLiteral("pipe"))).constData(), 0600), 0);
    refused << "pipe";
#endif
    const QImage before = f.window.Canvas.image().copy();
    for (const char* name : refused) {
        f.window.shpCursor->move(30, 30);
        f.window.picCanvas->move(-20, -20);
        f.dialogs->asked.clear();
        f.dialogs->answers = {msgbox::kOk};
        drop(f.window.picCanvas, {url(name)});
        QCOMPARE(f.dialogs->asked.size(), size_t(1));
        QCOMPARE(f.dialogs->asked[0].text, kDropError);
        QCOMPARE(f.window.Canvas.image(), before);
        QCOMPARE(f.window.shpCursor->pos(), QPoint(30, 30));
        QCOMPARE(f.window.picCanvas->pos(), QPoint(5, 5));
    }

    // a drop that carries no file is ignored
    drop(f.window.picCanvas, {}, QStringLiteral("just text"));
    QCOMPARE(f.dialogs->asked.size(), size_t(1));
    QCOMPARE(f.window.Canvas.image(), before);
}

void TestFiles::loadedPictureBeyondTypedLimit()
{
    WindowFixture f;
    QVERIFY(f.show());
    writeSample(f.path(QStringLiteral("wide.bmp")), 6100, 20);
    f.dialogs->inputs = {QStringLiteral("wide"), QString(), QString()};
    f.window.cmdLoad->click();
    QCOMPARE(f.window.Canvas.size(), QSize(6100, 20));
    QCOMPARE(f.window.HScroll->Max(), 6100);
    // a cancelled typed resize keeps the width beyond 5999
    f.window.picResizer_MouseDown(5, 2);
    QCOMPARE(f.window.Canvas.size(), QSize(6100, 20));
}

QTEST_MAIN(TestFiles)
#include "tst_files.moc"
