// The palette in use: hover previews, press and release stamping on hot-spots and base
// panels, the tile pages and the erase buttons.
#include "frame.h"
#include "frmtessellon.h"
#include "palettelayout.h"
#include "picturebox.h"
#include "tilecatalogue.h"
#include "tilevariants.h"
#include "vbbuttons.h"

namespace tessellon {

namespace {

constexpr VbColor kHotSpotHover = 0x0080FF80;   // light green
constexpr VbColor kPressedOverlay = 0x00008000; // green
constexpr VbColor kPressedReplace = 0x000000C0; // dark red
constexpr VbColor kEraseHover = 0x008080FF;     // light red
constexpr VbColor kErasePressed = 0x000000FF;   // red

// The erase button's all-white image; 0 for a number that names no button.
constexpr qint16 kEraseImages[] = {0, 42, 43, 44};

qint16 tagNumber(const PictureBox* p)
{
    bool ok = false;
    const int n = p->Tag.toInt(&ok);
    return ok && n >= -32768 && n <= 32767 ? qint16(n) : qint16(0);
}

} // namespace

void frmTessellon::showTileOnPanel(qint16 panel, qint16 tile)
{
    if (panel < 0 || panel >= qint16(baseTiles_.size())) return;
    picBaseTile(panel)->setPicture(TileCatalogue::instance().image(tile));
}

void frmTessellon::restoreOwnTile(qint16 hotSpot)
{
    const qint16 panel = tagNumber(picTile(hotSpot));
    if (panel < 0 || panel >= qint16(baseTiles_.size())) return;
    showTileOnPanel(panel, tagNumber(picBaseTile(panel)));
}

VbColor frmTessellon::pressedColour(int button) const
{
    const StampMode mode = stampModeFor(button, leftOverlays());
    return mode == StampMode::Overlay ? kPressedOverlay : kPressedReplace;
}

void frmTessellon::picTile_MouseMove(int h)
{
    PreviewTile = TileForHotSpot(qint16(h));
    PictureBox* spot = picTile(h);
    if (spot->BackColor() == kWhite) {
        spot->setBackColor(kHotSpotHover);
        if (HoveredHotSpot != 0) restoreOwnTile(HoveredHotSpot);
        showTileOnPanel(tagNumber(spot), PreviewTile);
    }
    if (HoveredHotSpot != h) {
        // hot-spot 0 absorbs this when idle; its page need not be made for it
        if (PictureBox* old = hotSpots_[HoveredHotSpot]) old->setBackColor(kWhite);
        HoveredHotSpot = qint16(h);
    }
}

void frmTessellon::picTile_MouseDown(int h, int button)
{
    if (stampModeFor(button, leftOverlays()) == StampMode::None) return;
    picTile(h)->setBackColor(pressedColour(button));
}

void frmTessellon::picTile_MouseUp(int h, int button)
{
    const qint16 t = TileForHotSpot(qint16(h));
    CurrentTile = t;
    PushUndo(t);
    picTile(h)->setBackColor(kHotSpotHover);
    Stamp(stampModeFor(button, leftOverlays()), t);
    PushRedo();
    focusFob();
}

void frmTessellon::picBaseTile_MouseDown(int p, int button)
{
    picBaseTile(p)->setPicture(QImage());
    if (stampModeFor(button, leftOverlays()) == StampMode::None) return;
    picBaseTile(p)->setBackColor(pressedColour(button));
}

void frmTessellon::picBaseTile_MouseUp(int p, int button)
{
    if (PreviewTile == 0) {
        // nothing previewed since start: no tile to stamp, the panel just looks as before
        picBaseTile(p)->setBackColor(kWhite);
        showTileOnPanel(qint16(p), tagNumber(picBaseTile(p)));
        focusFob();
        return;
    }
    CurrentTile = PreviewTile;
    PushUndo(PreviewTile);
    Stamp(stampModeFor(button, leftOverlays()), PreviewTile);
    picBaseTile(p)->setBackColor(kWhite);
    showTileOnPanel(qint16(p), PreviewTile);
    PushRedo();
    focusFob();
}

void frmTessellon::ClearPaletteHover()
{
    if (HoveredHotSpot != 0) {
        picTile(HoveredHotSpot)->setBackColor(kWhite);
        restoreOwnTile(HoveredHotSpot);
        HoveredHotSpot = 0;
    }
    if (HoveredEraseButton != 0) {
        picErase[HoveredEraseButton]->setBackColor(kWhite);
        HoveredEraseButton = 0;
    }
}

void frmTessellon::optTileSets_Click(int n)
{
    if (n == CurrentTileSet || n < 0 || n > 3) return;
    if (n == kPageKeyBindings) buildKeyBindingPage();
    buildPalettePage(qint16(n));
    fraTileSet[n]->show();
    fraTileSet[CurrentTileSet]->hide();
    CurrentTileSet = qint16(n);
    focusFob();
}

void frmTessellon::SelectTileSet(qint16 n)
{
    if (n < 0 || n > 3) return;
    optTileSets[n]->select();
}

void frmTessellon::picErase_MouseMove(int b)
{
    if (picErase[b]->BackColor() != kWhite) return;
    picErase[b]->setBackColor(kEraseHover);
    HoveredEraseButton = qint16(b);
}

void frmTessellon::picErase_MouseDown(int b)
{
    picErase[b]->setBackColor(kErasePressed);
}

void frmTessellon::EraseAtCursor(int b)
{
    const bool onWindow = b >= 1 && b < int(picErase.size());
    if (onWindow) picErase[b]->setBackColor(kEraseHover);
    if (b >= 1 && b <= 3) StampReplace(kEraseImages[b]);
    focusFob();
}

void frmTessellon::wireHotSpot(PictureBox* spot)
{
    connect(spot, &PictureBox::MouseMove, this, [this](int h) { picTile_MouseMove(h); });
    connect(spot, &PictureBox::MouseDown, this,
            [this](int h, int button) { picTile_MouseDown(h, button); });
    connect(spot, &PictureBox::MouseUp, this,
            [this](int h, int button) { picTile_MouseUp(h, button); });
    connect(spot, &PictureBox::KeyDown, this,
            [this](int h, int key, int) { picTile_KeyDown(h, key); });
}

void frmTessellon::wireBasePanel(PictureBox* panel)
{
    connect(panel, &PictureBox::MouseDown, this,
            [this](int i, int button) { picBaseTile_MouseDown(i, button); });
    connect(panel, &PictureBox::MouseUp, this,
            [this](int i, int button) { picBaseTile_MouseUp(i, button); });
}

void frmTessellon::wirePalette()
{
    for (int b = 1; b <= 2; ++b) {
        connect(picErase[b], &PictureBox::MouseMove, this,
                [this](int i) { picErase_MouseMove(i); });
        connect(picErase[b], &PictureBox::MouseDown, this,
                [this](int i) { picErase_MouseDown(i); });
        connect(picErase[b], &PictureBox::MouseUp, this, [this](int i) { EraseAtCursor(i); });
    }
    for (Frame* f : fraTileSet) {
        if (!f) continue;
        connect(f, &Frame::MouseMove, this, &frmTessellon::ClearPaletteHover);
        connect(f, &Frame::Click, this, &frmTessellon::focusFob);
    }
    connect(picCanvas, &PictureBox::MouseMove, this, &frmTessellon::ClearPaletteHover);
    for (int i = 0; i < 4; ++i) {
        connect(optTileSets[i], &OptionButton::Click, this, &frmTessellon::optTileSets_Click);
        // the release hands the focus back even when the page shown was chosen again
        connect(optTileSets[i], &QAbstractButton::released, this, &frmTessellon::focusFob);
    }
}

} // namespace tessellon
