#include "decodewarnings.h"

#include <QLoggingCategory>
#include <QThread>

namespace tessellon {

namespace {

QtMessageHandler previousHandler = nullptr;
QLoggingCategory::CategoryFilter previousFilter = nullptr;
QThread* watchedThread = nullptr;
QString firstWarning;

void catchWarning(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const bool warning = type != QtDebugMsg && type != QtInfoMsg;
    if (warning && firstWarning.isEmpty() && QThread::currentThread() == watchedThread)
        firstWarning = message.isEmpty() ? QStringLiteral("a warning") : message;
    previousHandler(type, context, message);
}

// Rules that silence a reader's warnings must not let a damaged picture through. Installing
// the filter runs it over every category before the previous filter is known.
void enableWarnings(QLoggingCategory* category)
{
    if (previousFilter) previousFilter(category);
    category->setEnabled(QtWarningMsg, true);
}

} // namespace

DecodeWarnings::DecodeWarnings()
{
    watchedThread = QThread::currentThread();
    firstWarning.clear();
    previousHandler = qInstallMessageHandler(catchWarning);
    previousFilter = QLoggingCategory::installFilter(enableWarnings);
}

DecodeWarnings::~DecodeWarnings()
{
    QLoggingCategory::installFilter(previousFilter);
    previousFilter = nullptr;
    qInstallMessageHandler(previousHandler);
    watchedThread = nullptr;
}

QString DecodeWarnings::first() const
{
    return firstWarning;
}

} // namespace tessellon
