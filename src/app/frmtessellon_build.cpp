// Construction of the window's controls from the layout tables.
#include "cursorshape.h"
#include "dialogs.h"
#include "frame.h"
#include "frmtessellon.h"
#include "palettelayout.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "textbox.h"
#include "undoring.h"
#include "vbbuttons.h"
#include "windowlayout.h"
#include "zoomview.h"

#include <QHash>
#include <QLabel>
#include <QTimer>

namespace tessellon {

namespace {

int px(int twips)
{
    return qRound(twips / double(kTwipsPerPixel));
}

QString controlKey(const char* name, int index)
{
    return index < 0 ? QString::fromLatin1(name)
                     : QStringLiteral("%1(%2)").arg(QLatin1String(name)).arg(index);
}

QWidget* createControl(const ControlSpec& s, QWidget* parent)
{
    const QString caption = QString::fromLatin1(s.caption);
    switch (s.kind) {
    case ControlKind::Frame: return new Frame(parent, s.index);
    case ControlKind::Label: return new QLabel(caption, parent);
    case ControlKind::Option: return new OptionButton(caption, parent, s.index);
    case ControlKind::CheckBox: return new CheckBox(caption, parent);
    case ControlKind::Button: return new CommandButton(caption, parent, s.tabStop);
    case ControlKind::Picture: return new PictureBox(parent, s.index);
    case ControlKind::ScrollBarH: return new ScrollBar(Qt::Horizontal, parent);
    case ControlKind::ScrollBarV: return new ScrollBar(Qt::Vertical, parent);
    }
    return nullptr;
}

// The pages whose controls are made when first shown: nobody sees them at start-up, and
// making them was a good part of it.
bool madeLate(qint16 frame)
{
    return frame == kPageLarge || frame == kPageRooms;
}

bool atStart(qint16 frame, qint16)
{
    return !madeLate(frame);
}

bool onPage(qint16 frame, qint16 page)
{
    return frame == page;
}

void setWhiteBackground(QWidget* w)
{
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, Qt::white);
    w->setPalette(pal);
    w->setAutoFillBackground(true);
}

} // namespace

void frmTessellon::buildControls()
{
    QHash<QString, QWidget*> made;
    for (const ControlSpec& s : windowControls()) {
        QWidget* parent = s.container ? made.value(controlKey(s.container, s.containerIndex))
                                      : static_cast<QWidget*>(this);
        QWidget* w = createControl(s, parent);
        const QString key = controlKey(s.name, s.index);
        w->setObjectName(key);
        w->setGeometry(px(s.left), px(s.top), px(s.width), px(s.height));
        if (*s.toolTip) w->setToolTip(QString::fromLatin1(s.toolTip));
        made.insert(key, w);
    }
    auto get = [&](const char* name, int index = -1) { return made.value(controlKey(name, index)); };
    fraOptions = static_cast<Frame*>(get("fraOptions"));
    Label[1] = static_cast<QLabel*>(get("Label", 1));
    Label[2] = static_cast<QLabel*>(get("Label", 2));
    for (int i = 0; i < 2; ++i) {
        optDefaultOverlay[i] = static_cast<OptionButton*>(get("optDefaultOverlay", i));
        optScaleMove[i] = static_cast<OptionButton*>(get("optScaleMove", i));
    }
    Picture1 = static_cast<PictureBox*>(get("Picture1"));
    fraSelectTileSet = static_cast<Frame*>(get("fraSelectTileSet", 4));
    for (int i = 0; i < 4; ++i) optTileSets[i] = static_cast<OptionButton*>(get("optTileSets", i));
    fraCommands = static_cast<Frame*>(get("fraCommands"));
    cmdUndo = static_cast<CommandButton*>(get("cmdUndo"));
    cmdRedo = static_cast<CommandButton*>(get("cmdRedo"));
    cmdLoad = static_cast<CommandButton*>(get("cmdLoad"));
    cmdSave = static_cast<CommandButton*>(get("cmdSave"));
    cmdClear = static_cast<CommandButton*>(get("cmdClear"));
    chkGrid = static_cast<CheckBox*>(get("chkGrid"));
    picScrollContainer = static_cast<PictureBox*>(get("picScrollContainer"));
    picCanvas = static_cast<PictureBox*>(get("picCanvas"));
    HScroll = static_cast<ScrollBar*>(get("HScroll"));
    VScroll = static_cast<ScrollBar*>(get("VScroll"));
    cmdFob = static_cast<CommandButton*>(get("cmdFob"));
    fraMisc = static_cast<Frame*>(get("fraMisc"));

    // The design-time selections, made before any handler is connected.
    optDefaultOverlay[1]->setChecked(true);
    optScaleMove[1]->setChecked(true);
    optTileSets[0]->setChecked(true);
    Picture1->setBackColor(kWhite);
    for (QWidget* w : std::initializer_list<QWidget*>{optDefaultOverlay[0], optDefaultOverlay[1],
                       optScaleMove[0], optScaleMove[1], optTileSets[0], optTileSets[1],
                       optTileSets[2], optTileSets[3], chkGrid, Label[1], Label[2]})
        setWhiteBackground(w);
    cmdFob->setFocusPolicy(Qt::StrongFocus);
    // Both bars start at their minimum, 1, before any handler listens: no canvas move.
    for (ScrollBar* bar : {HScroll, VScroll}) {
        bar->setRange(1, 1);
        bar->setValue(1);
    }
    fraMisc->hide();

    buildPalette();
    buildDrawingArea();
    // The top bar lies over the upper edge of the palette frames.
    fraOptions->raise();
    fraSelectTileSet->raise();
    fraCommands->raise();
}

void frmTessellon::buildPalette()
{
    for (const FrameSpec& f : paletteFrames()) {
        if (f.frame == kMiscFrame) continue; // fraMisc comes from the window description
        auto* fr = new Frame(this, f.frame);
        fr->setObjectName(controlKey("fraTileSet", f.frame));
        fr->setGeometry(f.x, f.y, f.w, f.h);
        fr->setVisible(f.shownAtStart);
        fraTileSet[f.frame] = fr;
    }
    for (const SeparatorSpec& s : paletteSeparators())
        fraTileSet[s.frame]->addSeparator(s.x, s.y1, s.y2);
    buildPaletteControls(atStart, 0);
    buildEraseTool();
}

void frmTessellon::buildPaletteControls(bool (*wanted)(qint16 frame, qint16 page), qint16 page)
{
    auto frameWidget = [this](qint16 frame) -> QWidget* {
        return frame == kMiscFrame ? static_cast<QWidget*>(fraMisc) : fraTileSet[frame];
    };
    for (const BasePanelSpec& b : basePanels()) {
        if (!wanted(b.frame, page)) continue;
        auto* p = new PictureBox(frameWidget(b.frame), b.panel);
        p->setObjectName(controlKey("picBaseTile", b.panel));
        p->setGeometry(basePanelRect(b.panel));
        p->setBorder(b.border);
        p->setBackColor(kWhite);
        if (b.ownTile > 0) p->Tag = QString::number(b.ownTile);
        if (b.panel >= 1) wireBasePanel(p);
        baseTiles_[b.panel] = p;
    }
    for (const HotSpotSpec& h : hotSpots()) {
        if (!wanted(hotSpotFrame(h.hotSpot), page)) continue;
        auto* p = new PictureBox(frameWidget(hotSpotFrame(h.hotSpot)), h.hotSpot);
        p->setObjectName(controlKey("picTile", h.hotSpot));
        p->setGeometry(hotSpotRect(h.hotSpot));
        p->setBorder(h.border);
        p->setBackColor(kWhite);
        p->setCursor(Qt::CrossCursor);
        p->setMouseTracking(true);
        p->setFocusPolicy(Qt::StrongFocus);
        p->Tag = QString::number(h.panel);
        wireHotSpot(p);
        hotSpots_[h.hotSpot] = p;
    }
    // A panel's border stays visible over the ring of hot-spots that overlaps its edge.
    for (const BasePanelSpec& b : basePanels())
        if (wanted(b.frame, page)) baseTiles_[b.panel]->raise();
}

void frmTessellon::buildPalettePage(qint16 page)
{
    if (!madeLate(page) || pageBuilt_[page]) return;
    pageBuilt_[page] = true;
    buildPaletteControls(onPage, page);
    PictureBox* before = nullptr;
    for (PictureBox* spot : hotSpots_) {
        // Tab visits the hot-spots by number, as when they were all made at once
        if (before && spot && spot->parentWidget() == fraTileSet[page]) setTabOrder(before, spot);
        if (spot) before = spot;
    }
    for (QWidget* w : fraTileSet[page]->findChildren<QWidget*>())
        w->setAttribute(Qt::WA_NoMousePropagation);
    for (const BasePanelSpec& b : basePanels())
        if (b.frame == page && b.panel >= 1) showOwnTile(baseTiles_[b.panel]);
}

PictureBox* frmTessellon::picBaseTile(int panel)
{
    if (panel < 0 || panel >= int(baseTiles_.size())) return nullptr;
    buildPalettePage(basePanels()[std::size_t(panel)].frame);
    return baseTiles_[std::size_t(panel)];
}

PictureBox* frmTessellon::picTile(int hotSpot)
{
    if (hotSpot < 0 || hotSpot >= int(hotSpots_.size())) return nullptr;
    buildPalettePage(hotSpotFrame(qint16(hotSpot)));
    return hotSpots_[std::size_t(hotSpot)];
}

void frmTessellon::buildEraseTool()
{
    Frame* right = fraTileSet[kRightPanel];
    lblErase = new QLabel(QStringLiteral("Erase"), right);
    lblErase->setObjectName(QStringLiteral("lblErase"));
    lblErase->setGeometry(128, 16, 33, 17);
    lblErase->setAlignment(Qt::AlignCenter);
    lblErase->setStyleSheet(QStringLiteral("color: #FF0000;"));
    // The panel is already polished by the window's style sheet, and a child made under such
    // a parent does not inherit the window's font: give it the captions' font outright.
    lblErase->setFont(font());
    const QRect eraseRects[3] = {{}, {136, 72, 17, 17}, {128, 32, 33, 33}};
    for (int i = 1; i <= 2; ++i) {
        auto* e = new PictureBox(right, i);
        e->setObjectName(controlKey("picErase", i));
        e->setGeometry(eraseRects[i]);
        e->setBorder(true);
        e->setBackColor(kWhite);
        e->setCursor(Qt::CrossCursor);
        e->setMouseTracking(true);
        picErase[i] = e;
    }
}

void frmTessellon::buildKeyBindingPage()
{
    if (keyLabels_[0]) return;
    Frame* page = fraTileSet[kPageKeyBindings];
    const auto places = keyBindingSlots();
    for (int i = 0; i <= 13; ++i) {
        const BindingSlot& s = places[i];
        auto* l = new QLabel(QString::fromLatin1(kBindingCaptions[i]), page);
        l->setObjectName(controlKey("lblCustomize", i));
        l->setGeometry(s.labelX, s.labelY, s.labelW, s.labelH);
        l->setAlignment(Qt::AlignCenter);
        if (i == 0) {
            l->setWordWrap(true);
            l->setStyleSheet(QStringLiteral("color: #FF0000;"));
        }
        keyLabels_[i] = l;
        if (i == 0) continue;
        auto* t = new TextBox(page, i);
        t->setObjectName(controlKey("txtKeyBindings", i));
        t->setGeometry(s.boxX, s.boxY, 33, 25);
        keyBoxes_[i] = t;
    }
    // what the window gives its other controls once they all exist
    styleCaptions(page);
    for (QWidget* w : page->findChildren<QWidget*>()) w->setAttribute(Qt::WA_NoMousePropagation);
    wireBindings();
    for (int i = 1; i <= 13; ++i) showBinding(i);
}

TextBox* frmTessellon::txtKeyBindings(int i)
{
    buildKeyBindingPage();
    return i >= 1 && i <= 13 ? keyBoxes_[i] : nullptr;
}

QLabel* frmTessellon::lblCustomize(int i)
{
    buildKeyBindingPage();
    return i >= 0 && i <= 13 ? keyLabels_[i] : nullptr;
}

void frmTessellon::buildDrawingArea()
{
    picScrollContainer->setBackColor(0x00808080);
    picCanvas->setBackColor(kWhite);
    picCanvas->setCursor(Qt::CrossCursor);
    picCanvas->setMouseTracking(true);
    // the first layout widens it: room to do so in place, not in a copy of every pixel
    Canvas = Surface::withRoom(picCanvas->width(), picCanvas->height());
    picCanvas->setSurface(&Canvas);

    shpCursor = new CursorShape(picCanvas);
    shpCursor->setObjectName(QStringLiteral("shpCursor"));
    shpCursor->setGeometry(0, 0, 32, 32);

    for (int i = 1; i <= 8; ++i) {
        auto* r = new PictureBox(picScrollContainer, i);
        r->setObjectName(controlKey("picResizer", i));
        r->resize(5, 5);
        r->setBackColor(0x00C0C0C0);
        picResizer[i] = r;
    }
    picResizer[5]->setCursor(Qt::SizeHorCursor);
    picResizer[7]->setCursor(Qt::SizeVerCursor);
    picResizer[8]->setCursor(Qt::SizeFDiagCursor);

    // Snapshot buffers of the undo ring, in the hidden frame.
    for (int i = 1; i <= 5; ++i) {
        picUndo[i] = new PictureBox(fraMisc, i);
        picUndo[i]->setObjectName(controlKey("picUndo", i));
        picUndo[i]->setGeometry(8 + (i - 1) * 24, 8, 121, 121);
        picRedo[i] = new PictureBox(fraMisc, i);
        picRedo[i]->setObjectName(controlKey("picRedo", i));
        picRedo[i]->setGeometry(128 + (i - 1) * 24, 8, 121, 121);
        picUndo[i]->setSurface(&Ring->undoBuffer(i));
        picRedo[i]->setSurface(&Ring->redoBuffer(i));
    }

    tmrFlashCursor = new QTimer(this);
    tmrFlashCursor->setObjectName(QStringLiteral("tmrFlashCursor"));
    tmrFlashCursor->setInterval(400);
    tmrDrawInitialGrid = new QTimer(this);
    tmrDrawInitialGrid->setObjectName(QStringLiteral("tmrDrawInitialGrid"));
    tmrDrawInitialGrid->setInterval(50);
    Zoom = new ZoomView(*this);
}

} // namespace tessellon
