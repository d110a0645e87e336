#pragma once

#include <QEvent>
#include <QPointF>
#include <QString>
#include <QStringList>

#include <deque>
#include <random>

class QWidget;
struct WindowFixture;

namespace tessellon::soak {

/// Drives the real window with one random user action at a time, seeded so that a run can
/// be repeated. Each action scripts the dialog answers it needs and notes what it did.
class SoakDriver
{
public:
    SoakDriver(WindowFixture& fixture, quint64 seed);

    /// Runs one action picked by weight; a canvas or cursor that has wandered too far is
    /// brought back first, so the run stays fast.
    void step();
    /// Descriptions of the latest actions, oldest first.
    const std::deque<QString>& history() const { return history_; }
    /// The fixture files loads and drops pick from; the soak never saves over them.
    const QStringList& inputFiles() const { return inputFiles_; }

    // The actions; public so that the weight table can name them.
    void fobKey();
    void viewHome();
    void hotSpotMouse();
    void basePanelClick();
    void eraseButton();
    void hotSpotKeys();
    void canvasClick();
    void paletteLeave();
    void handleDrag();
    void typedResize();
    void scrollBar();
    void scrollDrag();
    void gridToggle();
    void optionClick();
    void pageSwitch();
    void undoRedo();
    void load();
    void save();
    void clear();
    void drop();
    void windowResize();

private:
    int uniform(int lo, int hi);
    bool chance(int percent);
    template <typename T, std::size_t N> const T& pick(const T (&table)[N])
    {
        return table[uniform(0, int(N) - 1)];
    }
    Qt::MouseButton randomButton();
    Qt::KeyboardModifiers randomModifiers();
    /// A hot-spot on a shown page (0 when none is shown).
    int shownHotSpot();
    /// A reply to the typed resize: mostly a small size, sometimes garbage or a big one.
    QString randomReply();
    /// A path to drop: an input file, a saved map, the directory itself or nothing there.
    QString randomDropPath();
    void note(const QString& what);
    void shrink();
    void writeInputFiles();
    void click(QWidget* w, QPointF at, Qt::MouseButton button, Qt::KeyboardModifiers mods);

    WindowFixture& f_;
    std::mt19937_64 rng_;
    std::deque<QString> history_;
    QStringList inputFiles_;
    bool trace_ = false;
};

/// Sends one mouse event straight to `w`, at `pos` in its own coordinates.
void sendMouse(QWidget* w, QEvent::Type type, QPointF pos, Qt::MouseButton button,
               Qt::MouseButtons buttons, Qt::KeyboardModifiers modifiers);

} // namespace tessellon::soak
