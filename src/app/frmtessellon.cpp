#include "frmtessellon.h"

#include "cursorshape.h"
#include "dialogs.h"
#include "frame.h"
#include "packedtile.h"
#include "palettelayout.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "textbox.h"
#include "tilecatalogue.h"
#include "undoring.h"
#include "vbbuttons.h"
#include "vbconvert.h"
#include "windowlayout.h"

#include <QCloseEvent>
#include <QIcon>
#include <QLabel>
#include <QPixmap>
#include <QTimer>

#include <utility>

namespace tessellon {

frmTessellon::frmTessellon(const QString& programDir, std::unique_ptr<Dialogs> dialogs,
                           QWidget* parent)
    : QWidget(parent), Ring(std::make_unique<UndoRing>()), programDir_(programDir),
      dialogs_(std::move(dialogs))
{
    if (!dialogs_) dialogs_ = std::make_unique<QtDialogs>(this);
    setWindowTitle(QStringLiteral("Tessellon"));
    setWindowIcon(QIcon(QPixmap::fromImage(unpackPicture(packedIcon()))));
    setAcceptDrops(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, QColor(0xE0, 0xE0, 0xE0));
    setPalette(pal);
    setAutoFillBackground(true);
    resize(kClientWidth, kClientHeight);
    // a hint for the window manager; Form_Resize enforces it where none does
    setMinimumSize(kMinClientWidth, kMinClientHeight);
    setMouseTracking(true);
    // The description's sizes were made for an 8-point sans serif at 96 dpi.
    QFont small(QStringLiteral("DejaVu Sans"));
    small.setPixelSize(10);
    setFont(small);

    buildControls();
    styleCaptions(this);
    wireEvents();
    Form_Load();
    tmrFlashCursor->start();
    // the drawing keys work from the first moment the window is active
    cmdFob->setFocus(Qt::OtherFocusReason);
}

frmTessellon::~frmTessellon()
{
    // ~QWidget closes a shown window, which moves the focus and would run our handlers
    // (a key box's LostFocus) on fields already destroyed: cut those links first.
    for (QObject* child : findChildren<QObject*>()) disconnect(child, nullptr, this, nullptr);
}

void frmTessellon::styleCaptions(QWidget* root)
{
    // Only the toolkit's own controls draw through the style; on the window, this sheet made
    // every picture box and frame of the palette match its rules at start-up as well.
    const QString sheet = QString::fromLatin1(kCaptionStyleSheet);
    for (QWidget* w : root->findChildren<QWidget*>()) {
        if (qobject_cast<PictureBox*>(w) || qobject_cast<Frame*>(w) ||
            qobject_cast<CursorShape*>(w) || !w->styleSheet().isEmpty())
            continue;
        w->setStyleSheet(sheet);
    }
}

void frmTessellon::wireEvents()
{
    // Only the window, the palette frames and the canvas reset the palette hover; every
    // other control keeps mouse moves to itself, as the old controls did.
    for (QWidget* w : findChildren<QWidget*>()) w->setAttribute(Qt::WA_NoMousePropagation);
    for (int i = 0; i < 2; ++i) {
        connect(optDefaultOverlay[i], &OptionButton::Click, this,
                &frmTessellon::optDefaultOverlay_Click);
        connect(optScaleMove[i], &OptionButton::Click, this, &frmTessellon::optScaleMove_Click);
    }
    connect(tmrFlashCursor, &QTimer::timeout, this, &frmTessellon::tmrFlashCursor_Timer);
    connect(tmrDrawInitialGrid, &QTimer::timeout, this, &frmTessellon::tmrDrawInitialGrid_Timer);
    connect(chkGrid, &CheckBox::Click, this, &frmTessellon::chkGrid_Click);
    connect(cmdUndo, &QPushButton::clicked, this, &frmTessellon::cmdUndo_Click);
    connect(cmdRedo, &QPushButton::clicked, this, &frmTessellon::cmdRedo_Click);
    connect(HScroll, &ScrollBar::Change, this, &frmTessellon::HScroll_Change);
    connect(HScroll, &ScrollBar::Scroll, this, &frmTessellon::HScroll_Scroll);
    connect(VScroll, &ScrollBar::Change, this, &frmTessellon::VScroll_Change);
    connect(VScroll, &ScrollBar::Scroll, this, &frmTessellon::VScroll_Scroll);
    wirePalette();
    wireKeys();
    wireFiles();
    wireResizers();
}

double frmTessellon::twipsPerScreenPixel() const
{
    const int dpi = logicalDpiX();
    return dpi > 0 ? 1440.0 / dpi : double(kTwipsPerPixel);
}

void frmTessellon::focusFob()
{
    cmdFob->setFocus(Qt::OtherFocusReason);
}

// ---------------------------------------------------------------------------------------
// Start-up and shutdown

void frmTessellon::Form_Load()
{
    // 1. Every base panel shows the image its Tag names; a Tag naming none is skipped.
    // The pages made later do this as they are made.
    for (int i = 1; i <= 47; ++i)
        if (baseTiles_[i]) showOwnTile(baseTiles_[i]);
    // 2. The four pages share page 0's place.
    for (int i = 1; i <= 3; ++i) fraTileSet[i]->move(fraTileSet[0]->pos());
    // 3. The window turns white.
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::white);
    setPalette(pal);
    // 4. Twips per pixel: the window's outer width in twips over its client width.
    if (width() > 0)
        TwipsPerPixel = qint16(
            roundHalfEven(frameGeometry().width() * twipsPerScreenPixel() / width()));
    // 5. and 6.
    optScaleMove[1]->select();
    CursorStep = 30;
    // 7. and 8.
    LoadSettings();
    FormLoaded = true;
}

void frmTessellon::showOwnTile(PictureBox* panel)
{
    const TileCatalogue& tiles = TileCatalogue::instance();
    bool ok = false;
    const int n = panel->Tag.toInt(&ok);
    if (ok && tiles.has(qint16(n))) panel->setPicture(tiles.image(qint16(n)));
}

void frmTessellon::Form_Unload()
{
    StoreSettings();
}

void frmTessellon::closeEvent(QCloseEvent* e)
{
    Form_Unload();
    e->accept(); // closing never asks and always proceeds
}

// ---------------------------------------------------------------------------------------
// Layout of the view

void frmTessellon::resizeEvent(QResizeEvent* e)
{
    QWidget::resizeEvent(e);
    Form_Resize();
}

void frmTessellon::mouseMoveEvent(QMouseEvent* e)
{
    QWidget::mouseMoveEvent(e);
    ClearPaletteHover(); // the window's own background
}

void frmTessellon::changeEvent(QEvent* e)
{
    QWidget::changeEvent(e);
    if (e->type() == QEvent::ActivationChange && !isActiveWindow()) ClearPaletteHover();
    if (e->type() == QEvent::WindowStateChange && !isMinimized()) Form_Resize();
}

void frmTessellon::Form_Resize()
{
    if (isMinimized() || !picScrollContainer) return;
    if (width() < kMinClientWidth || height() < kMinClientHeight) {
        // raises this handling again at the corrected size before this pass goes on; asked
        // once until granted, so a window manager that refuses it is not asked forever
        if (!std::exchange(minimumRequested_, true))
            resize(std::max(width(), kMinClientWidth), std::max(height(), kMinClientHeight));
    } else {
        minimumRequested_ = false;
    }
    const int frameW = std::max(1, width() - 10 - VScroll->width());
    const int frameH = std::max(1, height() - 174 - HScroll->height());
    picScrollContainer->resize(frameW, frameH);
    if (!FirstLayoutDone) {
        UpdateScrollRanges();
        setCanvasSize(frameW - 12, frameH - 12);
        FirstLayoutDone = true;
    }
    PlaceResizeHandles();
    PlaceScrollBars();
}

void frmTessellon::PlaceScrollBars()
{
    const QRect f = picScrollContainer->geometry();
    VScroll->setGeometry(f.left() + f.width() + 1, f.top(), VScroll->width(), f.height());
    HScroll->setGeometry(f.left(), f.top() + f.height() + 1, f.width(), HScroll->height());
}

void frmTessellon::UpdateScrollRanges()
{
    VScroll->setRangeFor(Canvas.height());
    HScroll->setRangeFor(Canvas.width());
}

void frmTessellon::PlaceResizeHandles()
{
    const double L = picCanvas->x(), T = picCanvas->y();
    const double W = Canvas.width(), H = Canvas.height();
    const QPointF at[9] = {{},
                           {L - 5, T - 5},
                           {L + W / 2 - 2.5, T - 6},
                           {L + W, T - 5},
                           {L - 6, T + H / 2 - 2.5},
                           {L + W + 1, T + H / 2 - 2.5},
                           {L - 5, T + H},
                           {L + W / 2 - 2.5, T + H + 1},
                           {L + W, T + H}};
    for (int i = 1; i <= 8; ++i) {
        picResizer[i]->move(roundHalfEven(at[i].x()), roundHalfEven(at[i].y()));
        picResizer[i]->raise();
    }
}

bool frmTessellon::setCanvasSize(int w, int h)
{
    if (!Canvas.setSize(std::max(1, w), std::max(1, h))) return false;
    picCanvas->resize(Canvas.width(), Canvas.height());
    picCanvas->update();
    return true;
}

void frmTessellon::moveCanvas(int left, int top)
{
    picCanvas->move(left, top);
}

void frmTessellon::HScroll_Change()
{
    HScroll_Scroll();
    focusFob();
}

void frmTessellon::HScroll_Scroll()
{
    moveCanvas(5 - HScroll->Value(), picCanvas->y());
    PlaceResizeHandles();
}

void frmTessellon::VScroll_Change()
{
    VScroll_Scroll();
    focusFob();
}

void frmTessellon::VScroll_Scroll()
{
    moveCanvas(picCanvas->x(), 5 - VScroll->Value());
    PlaceResizeHandles();
}

// ---------------------------------------------------------------------------------------
// Options and the cursor blink

void frmTessellon::optScaleMove_Click(int index)
{
    if (!FormLoaded) return;
    CursorStep = index == 0 ? 10 : 30;
    shpCursor->resize(CursorStep, CursorStep);
    focusFob();
}

void frmTessellon::optDefaultOverlay_Click(int)
{
    if (!FormLoaded) return;
    focusFob();
}

void frmTessellon::tmrFlashCursor_Timer()
{
    shpCursor->setVisible(!shpCursor->Visible());
}

} // namespace tessellon
