#pragma once

#include "dialogs.h"
#include "longwork.h"
#include "stamping.h"
#include "surface.h"

#include <QString>
#include <QWidget>

#include <array>
#include <memory>

class QLabel;
class QTimer;

namespace tessellon {

class CheckBox;
struct PictureResult;
enum class MapFormat;
class CommandButton;
class CursorShape;
class Frame;
class OptionButton;
class PictureBox;
class ScrollBar;
class TextBox;
class UndoRing;
class ZoomView;

/// The one main window. It owns every control and every window field; its handlers and
/// procedures wire the controls to the widget-free model (surface, grid, stamps, undo ring,
/// tile tables, key names, settings store). Members are public so that tests drive the
/// window as the user's events do.
class frmTessellon : public QWidget
{
    Q_OBJECT
public:
    /// `programDir` holds Tessellon.ini and the maps; `dialogs` answers the modal boxes
    /// (nullptr: Qt's own dialogs).
    explicit frmTessellon(const QString& programDir, std::unique_ptr<Dialogs> dialogs = nullptr,
                          QWidget* parent = nullptr);
    ~frmTessellon() override;

    // --- controls -------------------------------------------------------------------------
    Frame* fraOptions = nullptr;
    std::array<QLabel*, 3> Label{};
    std::array<OptionButton*, 2> optDefaultOverlay{};
    PictureBox* Picture1 = nullptr;
    std::array<OptionButton*, 2> optScaleMove{};
    Frame* fraSelectTileSet = nullptr; // fraSelectTileSet(4)
    std::array<OptionButton*, 4> optTileSets{};
    Frame* fraCommands = nullptr;
    CommandButton* cmdUndo = nullptr;
    CommandButton* cmdRedo = nullptr;
    CommandButton* cmdLoad = nullptr;
    CommandButton* cmdSave = nullptr;
    CommandButton* cmdClear = nullptr;
    CheckBox* chkGrid = nullptr;
    std::array<Frame*, 11> fraTileSet{}; // 0..3 pages, 9 right panel, 10 left panel
    /// Base panel `panel` (0..47) and hot-spot `hotSpot` (0..334) of the palette. The pages
    /// "Large" and "Rooms / Cave / Misc" make theirs when first shown or when one of them is
    /// asked for.
    PictureBox* picBaseTile(int panel);
    PictureBox* picTile(int hotSpot);
    std::array<PictureBox*, 3> picErase{}; // 1 and 2
    QLabel* lblErase = nullptr;
    /// Box i (1..13) and label i (0..13) of the key-binding page. The page's controls are
    /// made when it is first shown or one of them is asked for: its boxes were the dearest
    /// part of start-up, and nobody sees them there.
    TextBox* txtKeyBindings(int i);
    QLabel* lblCustomize(int i);
    PictureBox* picScrollContainer = nullptr;
    PictureBox* picCanvas = nullptr;
    CursorShape* shpCursor = nullptr;
    std::array<PictureBox*, 9> picResizer{}; // 1..8
    ScrollBar* HScroll = nullptr;
    ScrollBar* VScroll = nullptr;
    CommandButton* cmdFob = nullptr;
    Frame* fraMisc = nullptr;
    std::array<PictureBox*, 6> picUndo{}; // 1..5
    std::array<PictureBox*, 6> picRedo{}; // 1..5
    QTimer* tmrFlashCursor = nullptr;
    QTimer* tmrDrawInitialGrid = nullptr;
    /// The zoomed-out view over picScrollContainer, for looking and moving only.
    ZoomView* Zoom = nullptr;

    // --- window fields --------------------------------------------------------------------
    qint16 CursorStep = 0;
    qint16 TwipsPerPixel = 0;
    bool FormLoaded = false;
    std::array<qint16, 14> KeyCodes{}; // 1..13
    qint16 CurrentTile = 0;
    qint16 CurrentTileSet = 0;
    qint16 PreviewTile = 0;
    qint16 HoveredHotSpot = 0;
    qint16 HoveredEraseButton = 0;
    bool ResizingCanvas = false;
    bool FirstLayoutDone = false;
    QString LoadFileName;
    QString SaveFileName;

    /// The persistent bitmap of picCanvas: the map.
    Surface Canvas;
    /// The undo ring with its snapshot buffers (UndoRecords, UndoPosition, picUndo, picRedo).
    std::unique_ptr<UndoRing> Ring;

    const QString& programDir() const noexcept { return programDir_; }
    Dialogs& dialogs() noexcept { return *dialogs_; }

    // --- start-up, shutdown, layout ---------------------------------------------------------
    void Form_Load();
    void Form_Unload();
    void Form_Resize();
    void LoadSettings();
    void StoreSettings();
    void PlaceScrollBars();
    void UpdateScrollRanges();
    void PlaceResizeHandles();

    /// Sets the canvas size in pixels: the bitmap keeps its top-left content, the widget
    /// follows. False, with the canvas as it was, when memory will not hold the new size.
    bool setCanvasSize(int w, int h);
    /// The canvas widget's place inside picScrollContainer.
    void moveCanvas(int left, int top);

    // --- handlers ---------------------------------------------------------------------------
    void optScaleMove_Click(int index);
    void optDefaultOverlay_Click(int index);
    void tmrFlashCursor_Timer();
    void HScroll_Change();
    void HScroll_Scroll();
    void VScroll_Change();
    void VScroll_Scroll();

    // --- drawing: stamps, undo and redo, the grid ----------------------------------------------
    void StampOverlay(qint16 tile);
    void StampReplace(qint16 tile);
    void RepairGridAtCursor();
    void PushUndo(qint16 tile);
    void PushRedo();
    void Undo();
    void Redo();
    void cmdUndo_Click();
    void cmdRedo_Click();
    void DrawGrid();
    void EraseGrid();
    void chkGrid_Click();
    void tmrDrawInitialGrid_Timer();

    /// The cursor's Left and Top in canvas pixels.
    QPoint cursorPos() const;
    /// The grid check box is the only grid flag.
    bool gridOn() const;
    /// True while the overlay option "Left" is selected.
    bool leftOverlays() const;

    // --- the palette ---------------------------------------------------------------------------
    void picTile_MouseMove(int hotSpot);
    void picTile_MouseDown(int hotSpot, int button);
    void picTile_MouseUp(int hotSpot, int button);
    void picTile_KeyDown(int hotSpot, int keyCode);
    void picBaseTile_MouseDown(int panel, int button);
    void picBaseTile_MouseUp(int panel, int button);
    void ClearPaletteHover();
    void optTileSets_Click(int index);
    void SelectTileSet(qint16 n);
    void picErase_MouseMove(int button);
    void picErase_MouseDown(int button);
    /// The release of erase button `button` (1..3): a replace stamp of its white image.
    void EraseAtCursor(int button);

    // --- keys, cursor placement and the view ---------------------------------------------------
    void cmdFob_KeyDown(int keyCode, int shift);
    void StampVariantOverlay(qint16 hotSpot);
    void picCanvas_MouseDown(double x, double y);
    void KeepCursorInView();

    // --- map files and canvas resizing ---------------------------------------------------------
    void cmdLoad_Click();
    void cmdSave_Click();
    void cmdClear_Click();
    void LoadDroppedFile(const QString& path);
    void picResizer_MouseDown(int handle, int button);
    /// x and y: the pointer relative to the handle's top-left, in pixels.
    void picResizer_MouseMove(int handle, double x, double y);
    void picResizer_MouseUp();
    /// Makes the canvas bitmap exactly `picture`, at its size, growing in place in `block`
    /// when that holds it; false, with the canvas as it was, when it cannot be taken over (a
    /// copy or conversion that does not fit).
    bool setCanvasPicture(QImage&& picture, std::shared_ptr<PixelBlock> block = nullptr);
    /// How long a load or save runs before its progress box shows (tests: 0, at once).
    int progressBoxDelayMs = kProgressBoxDelayMs;

    // --- settings and the binding page -----------------------------------------------------------
    /// Tessellon.ini in the program directory.
    QString SettingsPath() const;
    void txtKeyBindings_Click(int box);
    void txtKeyBindings_KeyDown(int box, int keyCode);
    void txtKeyBindings_LostFocus(int box);

protected:
    void dragEnterEvent(QDragEnterEvent* e) override;
    void dragMoveEvent(QDragMoveEvent* e) override;
    void dropEvent(QDropEvent* e) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void changeEvent(QEvent* e) override;
    void closeEvent(QCloseEvent* e) override;

private:
    void buildControls();
    void buildPalette();
    /// Makes the base panels and hot-spots of the palette frames `wanted` names.
    void buildPaletteControls(bool (*wanted)(qint16 frame, qint16 page), qint16 page);
    /// Makes the controls of a palette page left out at start-up, once.
    void buildPalettePage(qint16 page);
    /// The picture of the panel's own tile, as its Tag names it; nothing for a Tag naming none.
    void showOwnTile(PictureBox* panel);
    void wireHotSpot(PictureBox* spot);
    void wireBasePanel(PictureBox* panel);
    void buildEraseTool();
    void buildKeyBindingPage();
    /// The window's caption style sheet on every toolkit control under `root`.
    void styleCaptions(QWidget* root);
    void buildDrawingArea();
    void wireEvents();
    void focusFob();
    /// Set while a size below the minimum has been corrected and not yet reached, so that a
    /// window manager refusing the correction cannot start a resize loop.
    bool minimumRequested_ = false;
    /// Twips per screen pixel for the window's logical dpi (15 at 96 dpi).
    double twipsPerScreenPixel() const;
    void wirePalette();
    void wireKeys();
    void wireFiles();
    void wireResizers();
    void wireBindings();
    /// Box i shows the name of binding i, as text and as tool tip.
    void showBinding(int i);
    /// Drag-and-drop events of the window, picScrollContainer and picCanvas.
    bool handleDrop(QEvent* event);
    bool onOwnBackground(const QDropEvent* e) const;
    void dropOnWindow(QDropEvent* e);
    void runBinding(int entry);
    /// Reads the picture at `path` into `result` behind the "Loading" box; false when the
    /// user cancelled it.
    bool readInBackground(const QString& path, PictureResult& result);
    enum class SaveOutcome { Saved, Failed, Cancelled };
    /// Saves the canvas at `path` behind the "Saving" box.
    SaveOutcome writeInBackground(const QString& path, MapFormat format);
    /// Closes the window when a close was held while a load or save ran.
    void closeIfHeld();
    void viewHome();
    void showTileOnPanel(qint16 panel, qint16 tile);
    /// Puts back the own tile on the base panel that hot-spot `hotSpot` belongs to.
    void restoreOwnTile(qint16 hotSpot);
    VbColor pressedColour(int button) const;
    /// Stamps by mode; StampMode::None stamps nothing.
    void Stamp(StampMode mode, qint16 tile);
    /// Repaints the part of the canvas that changed (a null rectangle: all of it).
    void canvasChanged(const QRect& area = QRect());

    std::array<PictureBox*, 48> baseTiles_{}; // null until its frame is built
    std::array<PictureBox*, 335> hotSpots_{};
    std::array<bool, 4> pageBuilt_{};
    std::array<TextBox*, 14> keyBoxes_{};   // 1..13, null until the page is built
    std::array<QLabel*, 14> keyLabels_{};   // 0..13
    QString programDir_;
    std::unique_ptr<Dialogs> dialogs_;
    bool closeHeld_ = false;
};

} // namespace tessellon
