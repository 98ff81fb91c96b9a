#pragma once

#include <QObject>
#include <QString>

class QFileSystemWatcher;
class QTimer;

namespace korvanta {

// Watches one file for the changes other programs make to it: written in place, replaced by a
// rename (as editors and spreadsheets save), or removed and written anew. It reports a change
// once the writing has settled: the file exists and its size and times have stayed the same for
// SettleMs, so that a file is not read while it is half written.
//
// The system's change notices wake it: a watch of the file sees writes in place, and a watch of
// its folder sees a file renamed over it or created again (a rename gives the name a new inode,
// whose old watch ends). Notices about other files of the folder change nothing: only a file
// that differs from the one last reported (or first seen) counts. While nothing is watched no
// system watch exists at all.
class FileWatch : public QObject
{
    Q_OBJECT

public:
    // How long the size and times must stay the same. The writes of one save (a truncation and
    // the following writes, or an export flushing its buffer) come milliseconds apart, so half a
    // second without a change tells the end of a save from its middle, while the view still
    // follows within a second. Every notice during the wait starts it again.
    static constexpr int SettleMs = 500;

    explicit FileWatch(QObject* parent = nullptr);
    ~FileWatch() override;

    // Starts watching the file at `path` (absolute) as it is now: what it holds now is not
    // reported; any later change is.
    void watch(const QString& path);
    // Stops watching; no system watch is left.
    void stop();
    bool isWatching() const { return !m_path.isEmpty(); }
    QString path() const { return m_path; }

    // What tells a file's versions apart without reading it.
    struct State
    {
        bool exists = false;
        qint64 inode = 0;
        qint64 size = -1;
        qint64 modifiedNs = 0;
        qint64 changedNs = 0;

        friend bool operator==(const State&, const State&) = default;
    };
    static State stateOf(const QString& path);

signals:
    // The file changed and has settled since it was first seen or last reported. Emitted once
    // for each settled change; the file as it is then counts as reported.
    void changed();

private:
    void noticed(bool ownWatch);
    void settleTick();
    // Keeps the file's own watch on the inode the name now names.
    void followFile(const State& now);

    QString m_path;
    QFileSystemWatcher* m_watcher = nullptr;
    QTimer* m_settle = nullptr;
    // The file as last reported (or first seen), as the last look found it, and the inode its
    // own watch is on (0: none).
    State m_reported;
    State m_lastLook;
    qint64 m_watchedInode = 0;
    // The file's own watch saw a write since the last report: a change even where the size and
    // times (on a coarse clock) came out the same.
    bool m_written = false;
};

} // namespace korvanta
