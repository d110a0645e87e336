// Tessellon.ini: read once at start-up, written once at shutdown; and the binding page.
#include "frmtessellon.h"
#include "keynames.h"
#include "profilestore.h"
#include "settingstable.h"
#include "textbox.h"
#include "vbbuttons.h"
#include "vbconvert.h"
#include "windowlayout.h"

#include <QDir>
#include <QEvent>
#include <QLabel>
#include <QTimer>

#include <algorithm>
#include <optional>

namespace tessellon {

namespace {

QString text(const char* s)
{
    return QString::fromLatin1(s);
}

QString read(const ProfileStore& store, const SettingSpec& s)
{
    return store.value(text(s.section), text(s.key), text(s.fallback));
}

void write(ProfileStore& store, const SettingSpec& s, const QString& value)
{
    store.setValue(text(s.section), text(s.key), value);
}

// A position in twips as the decimal text of a single-precision number.
QString twipsText(double twips)
{
    return QString::number(double(float(twips)), 'g', 9);
}

const QString kRestingText = QString::fromLatin1(kBindingCaptions[0]);

// A window edge in twips as StoreSettings writes it: the nearest value a 16-bit number holds,
// so that the next start can read it back (-2185 px is -32775 twips, written as -32768).
QString edgeText(int pixels, double twipsPerPixel)
{
    return twipsText(std::clamp(pixels * twipsPerPixel, -32768.0, 32767.0));
}

// Moves one edge of a window once the platform has placed it, leaving the other edge where
// the platform put it. A window has no place of its own before it is shown, and its first
// paint comes after the platform (or its window manager) has placed it.
class PlaceEdgeWhenShown : public QObject
{
public:
    PlaceEdgeWhenShown(QWidget* window, std::optional<int> left, std::optional<int> top)
        : QObject(window), left_(left), top_(top)
    {
        window->installEventFilter(this);
    }

    bool eventFilter(QObject* watched, QEvent* e) override
    {
        if (e->type() != QEvent::Paint) return false;
        auto* window = static_cast<QWidget*>(watched);
        window->removeEventFilter(this);
        // after the paint, not inside it
        QTimer::singleShot(0, window, [window, left = left_, top = top_] {
            window->move(left.value_or(window->x()), top.value_or(window->y()));
        });
        deleteLater();
        return false;
    }

private:
    std::optional<int> left_, top_;
};

} // namespace

QString frmTessellon::SettingsPath() const
{
    return QDir::toNativeSeparators(programDir_ + QLatin1Char('/') + text(kSettingsFileName));
}

void frmTessellon::LoadSettings()
{
    const ProfileStore store(SettingsPath());
    for (int i = 1; i <= 13; ++i) {
        // a value that is no 16-bit number leaves the action unbound
        if (const auto code = toInt16(read(store, kBindingSettings[i - 1]))) KeyCodes[i] = *code;
    }
    for (int i = 1; i <= 13; ++i) showBinding(i);
    bool ok = false;
    const bool on = truthValue(read(store, kGridLines), ok);
    if (ok && !on) {
        chkGrid->setValue(0);
    } else {
        chkGrid->setValue(1);
        tmrDrawInitialGrid->start();
    }
    if (read(store, kOverlay).toLower() == QLatin1String("right")) optDefaultOverlay[0]->select();
    const double perPixel = twipsPerScreenPixel();
    auto pixels = [perPixel](std::optional<qint16> twips) -> std::optional<int> {
        if (!twips) return std::nullopt;
        return roundHalfEven(*twips / perPixel);
    };
    const auto left = pixels(toInt16(read(store, kFormLeft)));
    const auto top = pixels(toInt16(read(store, kFormTop)));
    if (left && top)
        move(*left, *top);
    else if (left || top)
        new PlaceEdgeWhenShown(this, left, top); // an edge that did not convert stays put
}

void frmTessellon::StoreSettings()
{
    ProfileStore store(SettingsPath());
    for (int i = 1; i <= 13; ++i)
        write(store, kBindingSettings[i - 1], QString::number(KeyCodes[i]));
    write(store, kGridLines, gridOn() ? QStringLiteral("True") : QStringLiteral("False"));
    write(store, kOverlay, leftOverlays() ? QStringLiteral("Left") : QStringLiteral("Right"));
    const double perPixel = twipsPerScreenPixel();
    write(store, kFormLeft, edgeText(frameGeometry().x(), perPixel));
    write(store, kFormTop, edgeText(frameGeometry().y(), perPixel));
    store.save(); // a failed write is ignored: the next start sees the old file
}

void frmTessellon::showBinding(int i)
{
    if (!keyBoxes_[i]) return; // the page shows the bindings when it is built
    keyBoxes_[i]->setText(KeyName(KeyCodes[i]));
    keyBoxes_[i]->setToolTip(KeyName(KeyCodes[i]));
}

void frmTessellon::txtKeyBindings_Click(int i)
{
    keyBoxes_[i]->clear();
    keyLabels_[0]->setText(QStringLiteral("Press New Key to Bind for the action [") +
                           keyLabels_[i]->text() + QStringLiteral("]."));
}

void frmTessellon::txtKeyBindings_KeyDown(int i, int keyCode)
{
    const QString name = KeyName(qint16(keyCode));
    if (!name.isEmpty()) {
        KeyCodes[i] = qint16(keyCode);
        showBinding(i);
    } else {
        dialogs().MsgBox(QStringLiteral("Please use another key, the key you pressed isn't "
                                        "available for binding."),
                         msgbox::kOkOnly, QStringLiteral("Error"));
        keyBoxes_[i]->setText(KeyName(KeyCodes[i]));
    }
    keyLabels_[0]->setText(kRestingText);
    focusFob();
}

void frmTessellon::txtKeyBindings_LostFocus(int i)
{
    if (keyBoxes_[i]->text().isEmpty()) keyBoxes_[i]->setText(KeyName(KeyCodes[i]));
    keyLabels_[0]->setText(kRestingText);
}

void frmTessellon::wireBindings()
{
    for (int i = 1; i <= 13; ++i) {
        connect(keyBoxes_[i], &TextBox::Click, this, &frmTessellon::txtKeyBindings_Click);
        connect(keyBoxes_[i], &TextBox::KeyDown, this,
                [this](int box, int key) { txtKeyBindings_KeyDown(box, key); });
        connect(keyBoxes_[i], &TextBox::LostFocus, this,
                &frmTessellon::txtKeyBindings_LostFocus);
    }
}

} // namespace tessellon
