// The user actions of the soak, each as real events on the window's controls.
#include "frame.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "soakdriver.h"
#include "vbbuttons.h"
#include "tilevariants.h"
#include "windowfixture.h"

#include <QDirIterator>
#include <QMimeData>
#include <QUrl>

namespace tessellon::soak {

namespace {

constexpr Qt::Key kBoundKeys[] = {Qt::Key_W, Qt::Key_A, Qt::Key_S, Qt::Key_D, Qt::Key_W, Qt::Key_A,
                                  Qt::Key_S, Qt::Key_D, Qt::Key_Z, Qt::Key_Y, Qt::Key_R, Qt::Key_E,
                                  Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_9, Qt::Key_0};
constexpr Qt::Key kUnboundKeys[] = {Qt::Key_Q,      Qt::Key_X,        Qt::Key_F5,     Qt::Key_Space,
                                    Qt::Key_Return, Qt::Key_Escape,   Qt::Key_Left,   Qt::Key_Home,
                                    Qt::Key_End,    Qt::Key_PageDown, Qt::Key_Delete, Qt::Key_F12,
                                    Qt::Key_Period, Qt::Key_Tab,      Qt::Key_4,      Qt::Key_Up};
constexpr Qt::Key kHotSpotKeys[] = {Qt::Key_W, Qt::Key_A, Qt::Key_S, Qt::Key_D,
                                    Qt::Key_D, Qt::Key_S, Qt::Key_R, Qt::Key_Right};
constexpr int kHomeModifiers[] = {Qt::ShiftModifier, Qt::ShiftModifier, Qt::ShiftModifier,
                                  Qt::NoModifier, Qt::ShiftModifier | Qt::ControlModifier};
constexpr const char* kOddReplies[] = {"",
                                       "wide",
                                       "12.5",
                                       "13.5",
                                       "-5",
                                       "0",
                                       "6000",
                                       "5999",
                                       "70000",
                                       " 640 ",
                                       "1e3",
                                       "0x20",
                                       "   ",
                                       "3,5",
                                       "+40",
                                       "-32768",
                                       "32767",
                                       "32768",
                                       "nan",
                                       "inf",
                                       "&H20",
                                       "1d2",
                                       "99999999999999999999"};
constexpr const char* kLoadNames[] = {
    "sample", "sample.bmp",  "garbage", "truncated", "huge", "png",          "soak1",
    "soak2",  "maps\\soak5", "missing", "soak3.BMP", "",     "nosuch/soak6", "notes.txt"};
constexpr const char* kSaveNames[] = {"soak1",       "soak2.bmp",    "soak3",         "soak4",
                                      "maps\\soak5", "nosuch/soak6", "nosuch\\soak7", ""};
constexpr QAbstractSlider::SliderAction kSliderActions[] = {
    QAbstractSlider::SliderSingleStepAdd, QAbstractSlider::SliderSingleStepSub,
    QAbstractSlider::SliderPageStepAdd,   QAbstractSlider::SliderPageStepSub,
    QAbstractSlider::SliderToMinimum,     QAbstractSlider::SliderToMaximum};

constexpr int kHotSpots = kLastHotSpot;
constexpr int kBasePanels = 47; // picBaseTile(1..47); panel 0 is never shown

QString keyText(int key, Qt::KeyboardModifiers mods)
{
    return QStringLiteral("key 0x%1 mods 0x%2").arg(key, 0, 16).arg(int(mods), 0, 16);
}

QPointF inside(const QWidget* w, double fx, double fy)
{
    return QPointF(fx * std::max(1, w->width() - 1), fy * std::max(1, w->height() - 1));
}

} // namespace

void SoakDriver::click(QWidget* w, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers mods)
{
    sendMouse(w, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, mods);
    sendMouse(w, QEvent::MouseButtonPress, at, button, button, mods);
    if (chance(30)) // a wobble with the button held; the release still reaches the box
        sendMouse(w, QEvent::MouseMove, at + QPointF(uniform(-40, 40), uniform(-40, 40)),
                  Qt::NoButton, button, mods);
    sendMouse(w, QEvent::MouseButtonRelease, at, button, Qt::NoButton, mods);
}

int SoakDriver::shownHotSpot()
{
    // uniform over the shown ones: a scan from a random start would favour the first
    // hot-spot after each hidden stretch
    int shown[kHotSpots];
    int n = 0;
    for (int h = 1; h <= kHotSpots; ++h)
        if (f_.window.picTile(h)->isVisibleTo(&f_.window)) shown[n++] = h;
    return n == 0 ? 0 : shown[uniform(0, n - 1)];
}

void SoakDriver::fobKey()
{
    const Qt::Key key = chance(75) ? pick(kBoundKeys) : pick(kUnboundKeys);
    const Qt::KeyboardModifiers mods = randomModifiers();
    note(QStringLiteral("fob ") + keyText(key, mods));
    QTest::keyClick(f_.window.cmdFob, key, mods);
}

void SoakDriver::viewHome()
{
    const auto mods = Qt::KeyboardModifiers(pick(kHomeModifiers));
    note(QStringLiteral("fob home ") + keyText(Qt::Key_Home, mods));
    QTest::keyClick(f_.window.cmdFob, Qt::Key_Home, mods);
}

void SoakDriver::hotSpotMouse()
{
    const int h = shownHotSpot();
    if (h == 0) return pageSwitch();
    PictureBox* spot = f_.window.picTile(h);
    const QPointF at = inside(spot, uniform(0, 100) / 100.0, uniform(0, 100) / 100.0);
    const Qt::MouseButton button = randomButton();
    const Qt::KeyboardModifiers mods = randomModifiers();
    if (chance(25)) {
        note(QStringLiteral("hot-spot %1 hover").arg(h));
        sendMouse(spot, QEvent::MouseMove, at, Qt::NoButton, Qt::NoButton, mods);
        return;
    }
    note(QStringLiteral("hot-spot %1 click button %2 mods 0x%3")
             .arg(h)
             .arg(int(button))
             .arg(int(mods), 0, 16));
    click(spot, at, button, mods);
}

void SoakDriver::basePanelClick()
{
    int shown[kBasePanels];
    int n = 0;
    for (int p = 1; p <= kBasePanels; ++p)
        if (f_.window.picBaseTile(p)->isVisibleTo(&f_.window)) shown[n++] = p;
    if (n == 0) return pageSwitch(); // the binding page is up: no panel to click
    const int p = shown[uniform(0, n - 1)];
    PictureBox* panel = f_.window.picBaseTile(p);
    const Qt::MouseButton button = randomButton();
    note(QStringLiteral("base panel %1 button %2").arg(p).arg(int(button)));
    if (chance(50)) // what a panel stamps is the tile last previewed
        sendMouse(f_.window.picTile(std::max(1, shownHotSpot())), QEvent::MouseMove, QPointF(1, 1),
                  Qt::NoButton, Qt::NoButton, {});
    click(panel, inside(panel, 0.5, 0.5), button, randomModifiers());
}

void SoakDriver::eraseButton()
{
    const int b = uniform(1, 2);
    const Qt::MouseButton button = randomButton();
    note(QStringLiteral("erase %1 button %2").arg(b).arg(int(button)));
    click(f_.window.picErase[b], inside(f_.window.picErase[b], 0.5, 0.5), button,
          randomModifiers());
}

void SoakDriver::hotSpotKeys()
{
    const int h = shownHotSpot();
    if (h == 0) return pageSwitch();
    PictureBox* spot = f_.window.picTile(h);
    spot->setFocus(Qt::MouseFocusReason);
    const int presses = uniform(1, 5);
    for (int i = 0; i < presses; ++i) {
        const Qt::Key key = pick(kHotSpotKeys);
        const Qt::KeyboardModifiers mods = randomModifiers();
        note(QStringLiteral("hot-spot %1 ").arg(h) + keyText(key, mods));
        QTest::keyClick(spot, key, mods);
    }
}

void SoakDriver::canvasClick()
{
    PictureBox* canvas = f_.window.picCanvas;
    const QPointF at(uniform(0, canvas->width() * 4 - 1) / 4.0,
                     uniform(0, canvas->height() * 4 - 1) / 4.0);
    const Qt::MouseButton button = randomButton();
    note(QStringLiteral("canvas click %1,%2 button %3").arg(at.x()).arg(at.y()).arg(int(button)));
    click(canvas, at, button, randomModifiers());
}

void SoakDriver::paletteLeave()
{
    QWidget* targets[] = {&f_.window, f_.window.fraTileSet[f_.window.CurrentTileSet],
                          f_.window.picCanvas, f_.window.fraTileSet[9]};
    QWidget* w = targets[uniform(0, 3)];
    note(QStringLiteral("pointer over %1").arg(w->objectName()));
    sendMouse(w, QEvent::MouseMove, inside(w, 0.01, 0.01), Qt::NoButton, Qt::NoButton, {});
}

void SoakDriver::handleDrag()
{
    const int h = uniform(1, 8);
    PictureBox* handle = f_.window.picResizer[h];
    const Qt::MouseButton button = chance(80) ? Qt::LeftButton : Qt::MiddleButton;
    note(QStringLiteral("handle %1 drag button %2").arg(h).arg(int(button)));
    sendMouse(handle, QEvent::MouseButtonPress, QPointF(2, 2), button, button, {});
    const int moves = uniform(0, 3);
    QPointF at(2, 2);
    for (int i = 0; i < moves; ++i) {
        at = QPointF(uniform(-300, 300) / 2.0, uniform(-300, 300) / 2.0);
        note(QStringLiteral("  move %1,%2").arg(at.x()).arg(at.y()));
        sendMouse(handle, QEvent::MouseMove, at, Qt::NoButton, button, {});
    }
    sendMouse(handle, QEvent::MouseButtonRelease, at, button, Qt::NoButton, {});
}

QString SoakDriver::randomReply()
{
    if (chance(60)) return QString::number(uniform(1, 900));
    return QString::fromLatin1(pick(kOddReplies));
}

void SoakDriver::typedResize()
{
    const int h = uniform(1, 8);
    const QString w = randomReply(), ht = randomReply();
    note(QStringLiteral("handle %1 typed '%2' x '%3'").arg(h).arg(w, ht));
    f_.dialogs->inputs = {w, ht};
    PictureBox* handle = f_.window.picResizer[h];
    sendMouse(handle, QEvent::MouseButtonPress, QPointF(2, 2), Qt::RightButton, Qt::RightButton,
              {});
    sendMouse(handle, QEvent::MouseButtonRelease, QPointF(2, 2), Qt::RightButton, Qt::NoButton, {});
}

void SoakDriver::shrink()
{
    const QString w = QString::number(uniform(100, 900)), h = QString::number(uniform(100, 900));
    note(QStringLiteral("shrink: handle 8 typed '%1' x '%2'").arg(w, h));
    f_.dialogs->inputs = {w, h};
    PictureBox* handle = f_.window.picResizer[8];
    sendMouse(handle, QEvent::MouseButtonPress, QPointF(2, 2), Qt::RightButton, Qt::RightButton,
              {});
    sendMouse(handle, QEvent::MouseButtonRelease, QPointF(2, 2), Qt::RightButton, Qt::NoButton, {});
}

void SoakDriver::scrollBar()
{
    ScrollBar* bar = chance(50) ? f_.window.HScroll : f_.window.VScroll;
    const QString name = bar == f_.window.HScroll ? QStringLiteral("H") : QStringLiteral("V");
    if (chance(40)) {
        const int v = uniform(bar->Min(), bar->Max());
        note(QStringLiteral("%1 scroll value %2").arg(name).arg(v));
        bar->setValue(v);
    } else if (chance(60)) {
        const QAbstractSlider::SliderAction a = pick(kSliderActions);
        note(QStringLiteral("%1 scroll action %2").arg(name).arg(int(a)));
        bar->triggerAction(a);
    } else {
        const QPointF at = inside(bar, uniform(0, 100) / 100.0, uniform(0, 100) / 100.0);
        note(QStringLiteral("%1 scroll click %2,%3").arg(name).arg(at.x()).arg(at.y()));
        click(bar, at, Qt::LeftButton, {});
    }
}

void SoakDriver::scrollDrag()
{
    ScrollBar* bar = chance(50) ? f_.window.HScroll : f_.window.VScroll;
    note(QStringLiteral("%1 thumb drag").arg(bar == f_.window.HScroll ? 'H' : 'V'));
    bar->setSliderDown(true);
    const int moves = uniform(1, 4);
    for (int i = 0; i < moves; ++i)
        bar->setSliderPosition(uniform(bar->Min(), bar->Max()));
    bar->setSliderDown(false);
}

void SoakDriver::gridToggle()
{
    note(QStringLiteral("grid click (was %1)").arg(f_.window.chkGrid->Value()));
    f_.window.chkGrid->click();
}

void SoakDriver::optionClick()
{
    const int i = uniform(0, 1);
    const bool scale = chance(50);
    note(QStringLiteral("%1 option %2").arg(scale ? "scale" : "overlay").arg(i));
    (scale ? f_.window.optScaleMove[i] : f_.window.optDefaultOverlay[i])->click();
}

void SoakDriver::pageSwitch()
{
    const int page = chance(85) ? uniform(0, 2) : 3;
    note(QStringLiteral("page %1").arg(page));
    f_.window.optTileSets[page]->click();
}

void SoakDriver::undoRedo()
{
    const int times = uniform(1, 6);
    const bool undo = chance(55);
    note(QStringLiteral("%1 x%2").arg(undo ? "undo" : "redo").arg(times));
    for (int i = 0; i < times; ++i)
        (undo ? f_.window.cmdUndo : f_.window.cmdRedo)->click();
}

void SoakDriver::load()
{
    const QString name = QString::fromLatin1(pick(kLoadNames));
    note(QStringLiteral("load '%1'").arg(name));
    f_.dialogs->inputs = {name};
    f_.dialogs->answers = {msgbox::kOk};
    f_.window.cmdLoad->click();
}

void SoakDriver::save()
{
    const QString name = QString::fromLatin1(pick(kSaveNames));
    note(QStringLiteral("save '%1' (grid %2)").arg(name).arg(f_.window.chkGrid->Value()));
    f_.dialogs->inputs = {name};
    f_.dialogs->answers = {msgbox::kOk};
    f_.window.cmdSave->click();
}

void SoakDriver::clear()
{
    const bool yes = chance(50);
    note(QStringLiteral("clear, answer %1").arg(yes ? "Yes" : "No"));
    f_.dialogs->answers = {yes ? msgbox::kYes : msgbox::kNo};
    f_.window.cmdClear->click();
}

QString SoakDriver::randomDropPath()
{
    switch (uniform(0, 3)) {
    case 0:
        return f_.path(inputFiles_[uniform(0, int(inputFiles_.size()) - 1)]);
    case 1: {
        QDirIterator it(f_.dir.path(), {QStringLiteral("soak*.bmp")}, QDir::Files,
                        QDirIterator::Subdirectories);
        return it.hasNext() ? it.next() : f_.path(QStringLiteral("soak1.bmp"));
    }
    case 2:
        return f_.dir.path();
    default:
        return f_.path(QStringLiteral("gone.bmp"));
    }
}

void SoakDriver::drop()
{
    QWidget* targets[] = {f_.window.picCanvas, f_.window.picScrollContainer, &f_.window};
    QWidget* target = targets[uniform(0, 2)];
    QMimeData data;
    const int kind = uniform(0, 5);
    if (kind <= 2) data.setUrls({QUrl::fromLocalFile(randomDropPath())});
    if (kind == 3) data.setUrls({QUrl(QStringLiteral("https://example.org/map.bmp"))});
    if (kind == 4) data.setText(QStringLiteral("a map"));
    note(QStringLiteral("drop on %1: %2")
             .arg(target->objectName(),
                  data.hasUrls() ? data.urls().first().toString() : data.text()));
    f_.dialogs->answers = {msgbox::kOk};
    const QPoint at = target->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &enter);
    QDropEvent dropped(QPointF(at), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &dropped);
    QCoreApplication::processEvents(); // the load runs once the drop has returned
}

void SoakDriver::windowResize()
{
    const int w = uniform(904, 1400), h = uniform(249, 900);
    note(QStringLiteral("window resize %1 x %2").arg(w).arg(h));
    f_.window.resize(w, h);
    QCoreApplication::processEvents();
}

} // namespace tessellon::soak
