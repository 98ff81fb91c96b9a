// Opening a data file named from outside the window: a path on the command line, a path handed
// over by a second copy, and a file or folder dropped on the window from the file manager. Each
// takes the road of a double click in the file list.

#include "ui/main/form1.h"

#include "core/datafile.h"
#include "core/filenames.h"
#include "core/folderlisting.h"
#include "platform/platform.h"
#include "ui/main/filelistbox.h"
#include "ui/main/folderlistbox.h"
#include "ui/main/form1texts.h"

#include <QApplication>
#include <QComboBox>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLineEdit>
#include <QMimeData>
#include <QThread>
#include <QTimer>
#include <QTreeView>

namespace korvanta {

namespace {

    // While the window is busy a queued path is tried again after this long.
    constexpr int PendingRetryMs = 100;

    // The first URL of a drag, when it is a local file or folder.
    QString droppedLocalPath(const QMimeData* mime)
    {
        if (!mime || !mime->hasUrls())
            return QString();
        const QList<QUrl> urls = mime->urls();
        if (urls.isEmpty() || !urls.constFirst().isLocalFile())
            return QString();
        return shownLocalFile(urls.constFirst());
    }

    // The search box takes dropped text as widgets that edit text do. A drag of local files
    // (which carries their paths as text too) is the window's instead: it opens the first.
    class FileDropFilter : public QObject
    {
    public:
        FileDropFilter(Form1& form, QObject* parent)
            : QObject(parent)
            , m_form(form)
        {
        }

    protected:
        bool eventFilter(QObject* watched, QEvent* event) override
        {
            const QEvent::Type type = event->type();
            if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop)
                return QObject::eventFilter(watched, event);
            auto* drag = static_cast<QDropEvent*>(event);
            const QString path = droppedLocalPath(drag->mimeData());
            if (path.isEmpty())
                return false;
            drag->acceptProposedAction();
            if (type == QEvent::Drop)
                m_form.requestOpen(path, true);
            return true;
        }

    private:
        Form1& m_form;
    };

} // namespace

void Form1::acceptFileDrops()
{
    setAcceptDrops(true);
    if (QLineEdit* edit = Combo1->lineEdit())
        edit->installEventFilter(new FileDropFilter(*this, edit));
}

void Form1::leaveDataView()
{
    if (isFileView())
        return;
    if (isAllItemsView())
        ListView1_DblClick();
    else
        ShowFileList();
}

void Form1::openDataFileByPath(const QString& path)
{
    const QFileInfo info(path);
    leaveDataView();

    const QString folder = normalizedFolder(info.absolutePath());
    if (!folder.isEmpty() && canListFolder(folder)) {
        // As choosing a folder does: the file list first, then the folder tree, whose change
        // handler updates the rest.
        setFilemadoPath(folder);
        setDir1Path(folder);
        UpdateFileSelection();
    }

    const bool inFolder = !folder.isEmpty() && Filemado->path() == folder;
    int row = inFolder ? Filemado->listAlso(info.fileName()) : -1;
    if (row < 0 && inFolder && pathStatus(path).isFile && !Combo1->currentText().isEmpty()) {
        // The file view's search key hides the file asked for: the key gives way, so that the
        // file is listed and selected (and stays listed when the view comes back).
        setCombo1Text(QString());
        row = Filemado->listAlso(info.fileName());
    }
    if (row < 0) {
        // Missing, a folder, or a folder that cannot be listed: the reader says why.
        const ItemNamesResult names = readItemNames(info.absoluteFilePath());
        m_platform.showMessage(this, names.ok ? MissingFileMessage.toString() : names.description);
        return;
    }
    Filemado->setListIndex(row);
    UpdateFileSelection();
    Filemado_DblClick();
}

void Form1::openDroppedPath(const QString& path)
{
    if (!pathStatus(path).isDir) {
        openDataFileByPath(path);
        return;
    }
    leaveDataView();
    const QString folder = normalizedFolder(path);
    if (folder.isEmpty() || !canListFolder(folder)) {
        m_platform.showMessage(this, PathNotFoundMessage.toString());
        return;
    }
    setFilemadoPath(folder);
    setDir1Path(folder);
    UpdateFileSelection();
}

void Form1::requestOpen(const QString& path, bool dropped, bool bringForward)
{
    if (path.isEmpty())
        return;
    m_pendingOpen = path;
    m_pendingDropped = dropped;
    m_pendingForward = bringForward;
    if (bringForward && isVisible())
        comeForward();
    if (!m_pendingTimer) {
        m_pendingTimer = new QTimer(this);
        m_pendingTimer->setSingleShot(true);
        connect(m_pendingTimer, &QTimer::timeout, this, &Form1::openPendingPath);
    }
    // Never inside the caller: a drop or a second copy's request is answered first.
    m_pendingTimer->start(0);
}

bool Form1::isWindowFree() const
{
    // A modal box or popup runs its own event loop over the main one (the application's exec()
    // is level 1; tests that only process events run at level 0).
    return isVisible() && !m_reading && !QApplication::activeModalWidget()
        && !QApplication::activePopupWidget() && QThread::currentThread()->loopLevel() <= 1;
}

void Form1::openPendingPath()
{
    if (m_pendingOpen.isEmpty())
        return;
    if (!isWindowFree()) {
        m_pendingTimer->start(PendingRetryMs);
        return;
    }
    const QString path = m_pendingOpen;
    const bool dropped = m_pendingDropped;
    m_pendingOpen.clear();
    if (m_pendingForward)
        comeForward();
    if (dropped)
        openDroppedPath(path);
    else
        openDataFileByPath(path);
}

void Form1::dragEnterEvent(QDragEnterEvent* event)
{
    if (droppedLocalPath(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void Form1::dragMoveEvent(QDragMoveEvent* event)
{
    if (droppedLocalPath(event->mimeData()).isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
}

void Form1::dropEvent(QDropEvent* event)
{
    const QString path = droppedLocalPath(event->mimeData());
    if (path.isEmpty()) {
        event->ignore();
        return;
    }
    event->acceptProposedAction();
    requestOpen(path, true);
}

} // namespace korvanta
