#include "platform/filewatch.h"

#include "core/filenames.h"

#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QTimer>

#include <sys/stat.h>

namespace korvanta {

namespace {

    qint64 nanoseconds(const struct timespec& t)
    {
        return qint64(t.tv_sec) * 1000000000 + qint64(t.tv_nsec);
    }

} // namespace

FileWatch::FileWatch(QObject* parent)
    : QObject(parent)
    , m_settle(new QTimer(this))
{
    m_settle->setSingleShot(true);
    connect(m_settle, &QTimer::timeout, this, &FileWatch::settleTick);
}

FileWatch::~FileWatch() = default;

// The nanosecond times tell apart two saves within one tick of a coarse clock as far as the file
// system keeps them; the inode tells a file renamed over the name from the one it replaced.
FileWatch::State FileWatch::stateOf(const QString& path)
{
    State state;
    struct stat st {};
    if (::stat(nativePath(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return state;
    state.exists = true;
    state.inode = qint64(st.st_ino);
    state.size = qint64(st.st_size);
    state.modifiedNs = nanoseconds(st.st_mtim);
    state.changedNs = nanoseconds(st.st_ctim);
    return state;
}

void FileWatch::watch(const QString& path)
{
    stop();
    m_path = path;
    m_watcher = new QFileSystemWatcher(this);
    connect(m_watcher, &QFileSystemWatcher::fileChanged, this, [this] { noticed(true); });
    connect(m_watcher, &QFileSystemWatcher::directoryChanged, this, [this] { noticed(false); });
    m_watcher->addPath(QFileInfo(path).absolutePath());
    m_reported = stateOf(path);
    m_lastLook = m_reported;
    followFile(m_reported);
}

void FileWatch::stop()
{
    m_settle->stop();
    delete m_watcher;
    m_watcher = nullptr;
    m_path.clear();
    m_watchedInode = 0;
    m_written = false;
}

void FileWatch::followFile(const State& now)
{
    if (!m_watcher || !now.exists)
        return;
    const bool watched = m_watcher->files().contains(m_path);
    if (watched && now.inode == m_watchedInode)
        return;
    // A watch left on the replaced inode would miss the new file's writes.
    if (watched)
        m_watcher->removePath(m_path);
    m_watchedInode = m_watcher->addPath(m_path) ? now.inode : 0;
}

// Every notice starts the wait again from the file as it is now.
void FileWatch::noticed(bool ownWatch)
{
    if (!m_watcher)
        return;
    if (ownWatch)
        m_written = true;
    m_lastLook = stateOf(m_path);
    followFile(m_lastLook);
    m_settle->start(FileWatch::SettleMs);
}

void FileWatch::settleTick()
{
    if (!m_watcher)
        return;
    const State now = stateOf(m_path);
    followFile(now);
    if (!(now == m_lastLook)) {
        // Still being written (or replaced): wait once more.
        m_lastLook = now;
        m_settle->start(FileWatch::SettleMs);
        return;
    }
    // A file that is gone is waited for: the folder's watch tells when the name comes back.
    if (!now.exists)
        return;
    // The folder's other files changed, not this one.
    if (!m_written && now == m_reported)
        return;
    m_reported = now;
    m_written = false;
    emit changed();
}

} // namespace korvanta
