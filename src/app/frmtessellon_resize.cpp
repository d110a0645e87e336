// The eight resize handles: dragging 5, 7 and 8 moves the right and bottom edges; a
// right-click on any handle asks for a typed size.
#include "frmtessellon.h"
#include "mapfile.h"
#include "picturebox.h"
#include "scrollbar.h"
#include "vbbuttons.h"
#include "vbconvert.h"

#include <QCoreApplication>


namespace tessellon {

namespace {

constexpr int kRightButton = 2;
constexpr int kMaxTyped = 5999;

// Which edges a handle drags: handle 5 the right edge, 7 the bottom one, 8 both.
struct HandleRule
{
    bool width, height;
};
constexpr HandleRule kHandles[9] = {{false, false}, {false, false}, {false, false},
                                    {false, false}, {false, false}, {true, false},
                                    {false, false}, {false, true},  {true, true}};

// A typed reply as a size: the old value when it is no 16-bit number.
int typedSize(const QString& reply, int old)
{
    return toInt16(reply).value_or(qint16(std::min(old, kMaxPictureSide)));
}

} // namespace

void frmTessellon::picResizer_MouseDown(int handle, int button)
{
    if (button != kRightButton) {
        ResizingCanvas = true;
        return;
    }
    const int w0 = Canvas.width(), h0 = Canvas.height();
    const QString title = QStringLiteral("Change Canvas Size");
    const int w = typedSize(dialogs().InputBox(QStringLiteral("Enter new width (0 to 6000):"),
                                               title, QString::number(w0)),
                            w0);
    if (w > 0 && w <= kMaxTyped) setCanvasSize(w, Canvas.height());
    const int h = typedSize(dialogs().InputBox(QStringLiteral("Enter new height (0 to 6000):"),
                                               title, QString::number(h0)),
                            h0);
    if (h > 0 && h <= kMaxTyped) setCanvasSize(Canvas.width(), h);
    HScroll->setValueFromCode(1);
    VScroll->setValueFromCode(1);
    PlaceResizeHandles();
    UpdateScrollRanges();
    // the right button's release may never reach the handle after the boxes
    if (gridOn()) DrawGrid();
    Q_UNUSED(handle);
}

void frmTessellon::picResizer_MouseMove(int handle, double x, double y)
{
    if (!ResizingCanvas || handle < 1 || handle > 8) return;
    const HandleRule rule = kHandles[handle];
    // each edge with its own test, both in one resize: a resize copies the whole bitmap
    QSize size = Canvas.size();
    if (const int w = roundHalfEven(size.width() + x); rule.width && w > 0)
        size.setWidth(std::min(w, kMaxPictureSide));
    if (const int h = roundHalfEven(size.height() + y); rule.height && h > 0)
        size.setHeight(std::min(h, kMaxPictureSide));
    if (size != Canvas.size()) setCanvasSize(size.width(), size.height());
    PlaceResizeHandles();
    UpdateScrollRanges();
    // repaint before the next move; user input waits, so no handler runs inside this one
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void frmTessellon::picResizer_MouseUp()
{
    ResizingCanvas = false;
    if (gridOn()) DrawGrid();
}

void frmTessellon::wireResizers()
{
    for (int i = 1; i <= 8; ++i) {
        connect(picResizer[i], &PictureBox::MouseDown, this,
                [this](int h, int button) { picResizer_MouseDown(h, button); });
        connect(picResizer[i], &PictureBox::MouseMove, this,
                [this](int h, int, int, double x, double y) { picResizer_MouseMove(h, x, y); });
        connect(picResizer[i], &PictureBox::MouseUp, this, [this] { picResizer_MouseUp(); });
    }
}

} // namespace tessellon
