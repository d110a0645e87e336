// Load, Save, Clear and dropped files: the whole canvas image replaced or written out.
#include "cursorshape.h"
#include "frmtessellon.h"
#include "longwork.h"
#include "mapfile.h"
#include "mapname.h"
#include "picturebox.h"
#include "progress.h"
#include "scrollbar.h"
#include "vbbuttons.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QMimeData>

#include <utility>

namespace tessellon {

namespace {

const QString kCaption = QStringLiteral("Tessellon");
const QString kErrorTitle = QStringLiteral("Error");

// The first local file of a drop, or "" when the drop carries none.
QString firstDroppedFile(const QMimeData* data)
{
    if (!data || !data->hasUrls()) return {};
    const QList<QUrl> urls = data->urls();
    if (urls.isEmpty() || !urls.first().isLocalFile()) return {};
    return urls.first().toLocalFile();
}

} // namespace

bool frmTessellon::setCanvasPicture(QImage&& picture, std::shared_ptr<PixelBlock> block)
{
    if (!Canvas.setPicture(std::move(picture), std::move(block))) return false;
    picCanvas->resize(Canvas.width(), Canvas.height());
    canvasChanged();
    return true;
}

bool frmTessellon::readInBackground(const QString& path, PictureResult& result)
{
    Progress progress;
    HeldClose close{.stopsWork = true};
    const bool read = runLongWork(
        *this, dialogs(), QStringLiteral("Loading"), QFileInfo(path).fileName(), progress,
        [&] { result = readPicture(path, &progress); }, close, progressBoxDelayMs);
    closeHeld_ = closeHeld_ || close.asked;
    return read;
}

frmTessellon::SaveOutcome frmTessellon::writeInBackground(const QString& path, MapFormat format)
{
    Progress progress;
    bool written = false;
    const QImage image = Canvas.image(); // held still: the window takes no input meanwhile
    HeldClose close; // a save asked for runs to its end before the window goes
    runLongWork(
        *this, dialogs(), QStringLiteral("Saving"), QFileInfo(path).fileName(), progress,
        [&] { written = writeMap(image, path, format, nullptr, systemFileCalls(), &progress); },
        close, progressBoxDelayMs);
    closeHeld_ = closeHeld_ || close.asked;
    // A save that reached its end before the stop stands, cancelled or not.
    if (written) return SaveOutcome::Saved;
    return progress.stopRequested() ? SaveOutcome::Cancelled : SaveOutcome::Failed;
}

void frmTessellon::closeIfHeld()
{
    if (std::exchange(closeHeld_, false)) close();
}

void frmTessellon::cmdLoad_Click()
{
    const QString before = LoadFileName;
    const QString typed = dialogs().InputBox(
        QStringLiteral("Enter file name (must be bitmap in same directory as this program, you "
                       "can also drag and drop files onto the canvas):"),
        QStringLiteral("Load Map"), LoadFileName);
    const MapName name = mapName(MapAction::Load, programDir_, typed);
    LoadFileName = name.stored;
    if (!LoadFileName.isEmpty()) {
        PictureResult r;
        if (!readInBackground(name.path, r)) {
            LoadFileName = before; // cancelled: as if the box had never been answered
            focusFob();
            return;
        }
        moveCanvas(5, 5);
        if (r.image.isNull() || !setCanvasPicture(std::move(r.image), std::move(r.block))) {
            dialogs().MsgBox(QStringLiteral("Unable to load file, please ensure name is correct "
                                            "and the file is a valid bitmap."),
                             msgbox::kOkOnly, kErrorTitle);
            setWindowTitle(kCaption);
            focusFob();
            return;
        }
        VScroll->setValueFromCode(1);
        HScroll->setValueFromCode(1);
        UpdateScrollRanges();
        PlaceResizeHandles();
        setWindowTitle(name.caption);
    }
    SaveFileName = LoadFileName;
    if (gridOn()) DrawGrid();
    focusFob();
}

void frmTessellon::cmdSave_Click()
{
    const QString before = SaveFileName;
    const QString typed = dialogs().InputBox(
        QStringLiteral("All files are saved to the directory containing this program. Please "
                       "enter a name for the file:"),
        QStringLiteral("Save Map"), SaveFileName);
    const MapName name = mapName(MapAction::Save, programDir_, typed);
    SaveFileName = name.stored;
    // The grid is never part of a map: off for the write, back on afterwards. Erased even
    // when off: an undo can paste back dots from a snapshot taken while it was on, beyond
    // the reach of the repair around the cursor.
    EraseGrid();
    const SaveOutcome outcome = SaveFileName.isEmpty() ? SaveOutcome::Saved
                                                       : writeInBackground(name.path, name.format);
    if (outcome == SaveOutcome::Cancelled) { // the old file and every name as they were
        SaveFileName = before;
        if (gridOn()) DrawGrid();
        focusFob();
        return;
    }
    if (outcome == SaveOutcome::Failed) {
        dialogs().MsgBox(QStringLiteral("Error saving bitmap."), msgbox::kOkOnly, kErrorTitle);
        setWindowTitle(kCaption);
        if (gridOn()) DrawGrid();
        focusFob();
        return;
    }
    if (gridOn()) DrawGrid();
    if (!SaveFileName.isEmpty()) setWindowTitle(name.caption);
    LoadFileName = SaveFileName;
    focusFob();
}

void frmTessellon::cmdClear_Click()
{
    const int answer = dialogs().MsgBox(QStringLiteral("Clear all work from the canvas?"),
                                        msgbox::kClearQuestion, QStringLiteral("Clear Canvas"));
    if (answer == msgbox::kYes) {
        Canvas.fillRect(QRect(0, 0, Canvas.width() + 1, Canvas.height() + 1), kWhite);
        canvasChanged();
    }
    if (gridOn()) DrawGrid();
    focusFob();
}

void frmTessellon::LoadDroppedFile(const QString& path)
{
    PictureResult r;
    if (!readInBackground(path, r)) return; // cancelled: nothing changes
    moveCanvas(5, 5);
    if (r.image.isNull() || !setCanvasPicture(std::move(r.image), std::move(r.block))) {
        dialogs().MsgBox(QStringLiteral("File format not supported, unable to load."),
                         msgbox::kOkOnly, kErrorTitle);
        return;
    }
    viewHome(); // both bars to 1, the cursor to the top-left corner
    LoadFileName.clear();
    SaveFileName.clear();
    setWindowTitle(kCaption);
    UpdateScrollRanges();
    PlaceResizeHandles();
    if (gridOn()) DrawGrid();
}

bool frmTessellon::handleDrop(QEvent* event)
{
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* e = static_cast<QDragMoveEvent*>(event);
        if (firstDroppedFile(e->mimeData()).isEmpty())
            e->ignore();
        else
            e->acceptProposedAction();
        return true;
    }
    case QEvent::Drop: {
        auto* e = static_cast<QDropEvent*>(event);
        const QString path = firstDroppedFile(e->mimeData());
        if (path.isEmpty()) {
            e->ignore(); // a drop without a file changes nothing
            return true;
        }
        e->acceptProposedAction();
        // The program the file came from waits until the drop returns: load afterwards.
        QMetaObject::invokeMethod(
            this,
            [this, path] {
                if (!isVisible()) return; // closed meanwhile
                LoadDroppedFile(path);
                closeIfHeld();
            },
            Qt::QueuedConnection);
        return true;
    }
    default: return false;
    }
}

// The window itself takes drops on its own background only: over another control (the
// palette, the buttons) a drop is refused there, not passed on to the window.
bool frmTessellon::onOwnBackground(const QDropEvent* e) const
{
    return childAt(e->position().toPoint()) == nullptr;
}

void frmTessellon::dropOnWindow(QDropEvent* e)
{
    if (onOwnBackground(e))
        handleDrop(e);
    else
        e->ignore();
}

void frmTessellon::dragEnterEvent(QDragEnterEvent* e)
{
    dropOnWindow(e);
}

void frmTessellon::dragMoveEvent(QDragMoveEvent* e)
{
    dropOnWindow(e);
}

void frmTessellon::dropEvent(QDropEvent* e)
{
    dropOnWindow(e);
}

void frmTessellon::wireFiles()
{
    connect(cmdLoad, &QPushButton::clicked, this, [this] {
        cmdLoad_Click();
        closeIfHeld();
    });
    connect(cmdSave, &QPushButton::clicked, this, [this] {
        cmdSave_Click();
        closeIfHeld();
    });
    connect(cmdClear, &QPushButton::clicked, this, &frmTessellon::cmdClear_Click);
    for (QWidget* w : std::initializer_list<QWidget*>{picScrollContainer, picCanvas}) {
        w->setAcceptDrops(true);
        w->installEventFilter(this);
    }
}

} // namespace tessellon
