#pragma once

#include <QObject>
#include <QString>

#include <functional>
#include <memory>

class QLocalServer;
class QLocalSocket;
class QLockFile;

namespace korvanta {

// One running copy per program folder. The first copy takes a lock file and listens on a local
// socket, both in a folder of the user's own (runtimeFolder) and named after the program folder,
// and serves only connections of the same user; a later copy finds
// the lock taken and asks the running copy, over the socket, to bring its window forward, or to
// bring it forward and open a data file.
//
// A request is one line: "come-forward", or "open-file " and the file's absolute path in UTF-8,
// Base64-encoded (a path may hold any byte but NUL, line breaks included); either may end with a
// blank and the desktop's activation token, Base64-encoded. The answer is one
// line: "ok" when the request was carried out, "unknown" for anything else.
class SingleInstance : public QObject
{
    Q_OBJECT

public:
    explicit SingleInstance(const QString& appFolder, QObject* parent = nullptr);
    ~SingleInstance() override;

    // Takes the lock and starts listening. Returns false only when another live copy holds the
    // lock; a lock left behind by a copy that died is taken over. When no lock can be made at all
    // (the runtime folder is not writable) this copy runs as the primary without protection
    // rather than not at all. Calling it again after success returns true.
    bool tryBecomePrimary();
    bool isPrimary() const { return m_primary; }

    // How long a second copy waits: for the connection (a primary that has just taken the lock
    // may not listen yet), and then for the answer of a primary that holds the connection. A
    // primary answers only from its event loop, so one that is busy (reading a large file,
    // waiting for the desktop) answers late; it is waited for as long as it keeps the
    // connection, up to the answer bound. One that dies closes the connection, which ends the
    // wait at once.
    static constexpr int ConnectTimeoutMs = 3000;
    static constexpr int AnswerTimeoutMs = 30000;

    // From a second copy: asks the primary to come forward and waits for its answer. Connection
    // attempts are repeated until `connectTimeoutMs` runs out, so a primary that is still
    // starting up is reached too. Returns true when the primary answered that it did. Runs a
    // local event loop.
    bool askPrimaryToComeForward(
        int connectTimeoutMs = ConnectTimeoutMs, int answerTimeoutMs = AnswerTimeoutMs);
    // From a second copy: asks the primary to come forward and open `filePath`, which is made
    // absolute here, against this process's working folder. A primary that does not know the
    // request (an older copy) is asked to come forward instead. Returns true when the primary
    // answered that it did either.
    bool askPrimaryToOpen(const QString& filePath, int connectTimeoutMs = ConnectTimeoutMs,
        int answerTimeoutMs = AnswerTimeoutMs);

    // The longest path, in UTF-8 bytes, that a request carries. A longer one cannot name a file
    // on Linux anyway.
    static constexpr qsizetype MaxPathBytes = 8192;
    // The longest activation token passed on.
    static constexpr qsizetype MaxTokenBytes = 1024;

    // From a second copy: the desktop's activation token it was started with
    // (XDG_ACTIVATION_TOKEN on Wayland, DESKTOP_STARTUP_ID on X11), passed along with every
    // request so that the running window may come forward where the desktop allows it. An empty,
    // overlong or multi-line token is not passed.
    void setActivationToken(const QByteArray& token);

    // "korvanta-" and a short hash of the program folder.
    QString key() const { return m_key; }
    QString lockFilePath() const;
    QString serverName() const; // a full socket path

    static QString keyFor(const QString& appFolder);
    // The folder that holds the lock and the socket: one that only this user can enter or
    // change, so that no other local user can take the lock or listen in this copy's place. That
    // is the user's runtime folder (XDG_RUNTIME_DIR) when it is a real folder, not a symbolic
    // link, owned by this user and closed to everyone else (mode 0700); otherwise
    // "korvanta-UID" in the temporary folder, made 0700 when it is not there and used only when
    // it passes the same checks. "" when neither does: the copy then runs without the
    // single-copy check.
    static QString runtimeFolder();
    // Whether `path` is a folder of the user `uid` that no one else may enter or change: a
    // folder itself (no symbolic link), owned by `uid`, with no permission for group or others.
    static bool isPrivateFolder(const QString& path, uint uid);

    // Whether the process at the other end of the connected local socket `descriptor` runs as
    // this process's user, by the credentials the kernel recorded for the connection.
    static bool peerIsSameUser(qintptr descriptor);
    // True for a lock file that names no process and is older than OwnerlessLockMs.
    static bool isOwnerlessLock(const QString& path);
    static constexpr int OwnerlessLockMs = 3000;
    // Decides whether a connection is served, from its socket descriptor; peerIsSameUser unless
    // replaced (tests stand in another user with it). A refused connection is closed unanswered.
    void setPeerCheck(std::function<bool(qintptr)> check) { m_peerCheck = std::move(check); }

signals:
    // A second copy passed the desktop's activation token; emitted just before the request it
    // came with.
    void activationTokenReceived(const QByteArray& token);
    // A second copy asked this one to bring its window forward. The request is answered after
    // the connected slots have run.
    void comeForwardRequested();
    // A second copy asked this one to come forward and open the data file at `filePath` (an
    // absolute path). Answered after the connected slots have run, so slots should only queue
    // the opening.
    void openFileRequested(const QString& filePath);

private:
    void onNewConnection();
    void onRequestData(QLocalSocket* socket);
    // Sends one request line and waits for the answer line; "" when no connection was made in
    // `connectTimeoutMs`, or no answer came in `answerTimeoutMs` after it or before the primary
    // closed the connection.
    QByteArray sendRequest(const QByteArray& request, int connectTimeoutMs, int answerTimeoutMs);
    QByteArray withToken(const QByteArray& request) const;

    QString m_key;
    QString m_folder;
    std::unique_ptr<QLockFile> m_lock;
    QLocalServer* m_server = nullptr;
    bool m_primary = false;
    QByteArray m_activationToken;
    std::function<bool(qintptr)> m_peerCheck = &SingleInstance::peerIsSameUser;
};

} // namespace korvanta
