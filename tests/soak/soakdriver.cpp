#include "soakdriver.h"

#include "testfiles.h"
#include "windowfixture.h"

#include <QDataStream>
#include <QDir>
#include <QFile>
#include <QMouseEvent>

#include <cstdio>

namespace tessellon::soak {

namespace {

constexpr int kModifiers[] = {Qt::NoModifier,
                              Qt::NoModifier,
                              Qt::NoModifier,
                              Qt::ShiftModifier,
                              Qt::ControlModifier,
                              Qt::AltModifier,
                              Qt::ShiftModifier | Qt::ControlModifier,
                              Qt::ShiftModifier | Qt::AltModifier,
                              Qt::KeypadModifier};
constexpr Qt::MouseButton kButtons[] = {Qt::LeftButton,  Qt::LeftButton,  Qt::LeftButton,
                                        Qt::RightButton, Qt::RightButton, Qt::MiddleButton,
                                        Qt::BackButton};

// Past these the canvas is shrunk and the cursor sent home, so that no grid pass gets slow.
constexpr int kMaxSide = 1400;
constexpr int kMinCursor = -600;
constexpr int kHistoryLength = 40;

struct ActionSpec
{
    const char* name;
    int weight;
    void (SoakDriver::*run)();
};

constexpr ActionSpec kActions[] = {
    {"fob key", 30, &SoakDriver::fobKey},
    {"view home", 2, &SoakDriver::viewHome},
    {"hot-spot mouse", 14, &SoakDriver::hotSpotMouse},
    {"base panel", 5, &SoakDriver::basePanelClick},
    {"erase button", 4, &SoakDriver::eraseButton},
    {"hot-spot keys", 7, &SoakDriver::hotSpotKeys},
    {"canvas click", 8, &SoakDriver::canvasClick},
    {"palette leave", 2, &SoakDriver::paletteLeave},
    {"handle drag", 3, &SoakDriver::handleDrag},
    {"typed resize", 2, &SoakDriver::typedResize},
    {"scroll bar", 5, &SoakDriver::scrollBar},
    {"scroll drag", 2, &SoakDriver::scrollDrag},
    {"grid", 2, &SoakDriver::gridToggle},
    {"option", 3, &SoakDriver::optionClick},
    {"page", 3, &SoakDriver::pageSwitch},
    {"undo/redo", 4, &SoakDriver::undoRedo},
    {"load", 1, &SoakDriver::load},
    {"save", 1, &SoakDriver::save},
    {"clear", 1, &SoakDriver::clear},
    {"drop", 1, &SoakDriver::drop},
    {"window resize", 1, &SoakDriver::windowResize},
};

constexpr int totalWeight()
{
    int sum = 0;
    for (const ActionSpec& a : kActions)
        sum += a.weight;
    return sum;
}

// A bitmap header that claims a huge picture and carries no pixels.
QByteArray hugeBitmapHeader()
{
    QByteArray bytes;
    QDataStream s(&bytes, QIODevice::WriteOnly);
    s.setByteOrder(QDataStream::LittleEndian);
    s.writeRawData("BM", 2);
    s << quint32(54) << quint32(0) << quint32(54);
    s << quint32(40) << qint32(40000) << qint32(40000) << quint16(1) << quint16(24);
    s << quint32(0) << quint32(0) << qint32(2835) << qint32(2835) << quint32(0) << quint32(0);
    return bytes;
}

} // namespace

void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers)
{
    QMouseEvent e(type, pos, w->mapToGlobal(pos), button, buttons, modifiers);
    QCoreApplication::sendEvent(w, &e);
}

SoakDriver::SoakDriver(WindowFixture& fixture, quint64 seed)
    : f_(fixture), rng_(seed), trace_(qEnvironmentVariableIsSet("TESSELLON_SOAK_TRACE"))
{
    writeInputFiles();
}

void SoakDriver::writeInputFiles()
{
    QImage sample(200, 150, QImage::Format_RGB32);
    sample.fill(Qt::white);
    for (int x = 0; x < 200; ++x)
        sample.setPixel(x, 75, qRgb(0, 0, 0));
    sample.save(f_.path(QStringLiteral("sample.bmp")), "BMP");
    sample.save(f_.path(QStringLiteral("png.bmp")), "PNG");
    writeFile(f_.path(QStringLiteral("truncated.bmp")),
              readFile(f_.path(QStringLiteral("sample.bmp"))).left(100));
    QByteArray noise("BM");
    for (int i = 0; i < 3000; ++i)
        noise.append(char(uniform(0, 255)));
    writeFile(f_.path(QStringLiteral("garbage.bmp")), noise);
    writeFile(f_.path(QStringLiteral("huge.bmp")), hugeBitmapHeader());
    writeFile(f_.path(QStringLiteral("notes.txt")), "not a picture\n");
    QDir(f_.dir.path()).mkdir(QStringLiteral("maps"));
    inputFiles_ = {QStringLiteral("sample.bmp"),    QStringLiteral("png.bmp"),
                   QStringLiteral("truncated.bmp"), QStringLiteral("garbage.bmp"),
                   QStringLiteral("huge.bmp"),      QStringLiteral("notes.txt")};
}

int SoakDriver::uniform(int lo, int hi)
{
    return std::uniform_int_distribution<int>(lo, hi)(rng_);
}

bool SoakDriver::chance(int percent)
{
    return uniform(1, 100) <= percent;
}

Qt::MouseButton SoakDriver::randomButton()
{
    return pick(kButtons);
}

Qt::KeyboardModifiers SoakDriver::randomModifiers()
{
    return Qt::KeyboardModifiers(pick(kModifiers));
}

void SoakDriver::note(const QString& what)
{
    history_.push_back(what);
    if (int(history_.size()) > kHistoryLength) history_.pop_front();
    if (trace_) std::fprintf(stderr, "soak: %s\n", qPrintable(what));
}

void SoakDriver::step()
{
    f_.dialogs->inputs.clear();
    f_.dialogs->answers.clear();
    f_.dialogs->asked.clear();
    const QPoint c = f_.window.cursorPos();
    if (c.x() < kMinCursor || c.y() < kMinCursor || c.x() > kMaxSide || c.y() > kMaxSide) {
        viewHome();
        return;
    }
    if (f_.window.Canvas.width() > kMaxSide || f_.window.Canvas.height() > kMaxSide) {
        shrink();
        return;
    }
    int roll = uniform(1, totalWeight());
    for (const ActionSpec& a : kActions) {
        roll -= a.weight;
        if (roll > 0) continue;
        (this->*a.run)();
        return;
    }
}

} // namespace tessellon::soak
