#pragma once

#include <QFile>
#include <QString>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

namespace korvanta {

// A FIFO at `path` for the lifetime of this object. Code that opens it for reading would wait for
// a writer for ever; after `patience` the guard opens and closes the writing end once, so such
// code ends (and the test fails on what it got) instead of hanging the test run.
class FifoGuard
{
public:
    explicit FifoGuard(
        const QString& path, std::chrono::seconds patience = std::chrono::seconds(10))
        : m_path(QFile::encodeName(path))
    {
        m_made = ::mkfifo(m_path.constData(), 0600) == 0;
        if (m_made)
            m_watchdog = std::thread([this, patience] { watch(patience); });
    }
    ~FifoGuard()
    {
        {
            std::lock_guard lock(m_mutex);
            m_done = true;
        }
        m_wake.notify_all();
        if (m_watchdog.joinable())
            m_watchdog.join();
        ::unlink(m_path.constData());
    }
    FifoGuard(const FifoGuard&) = delete;
    FifoGuard& operator=(const FifoGuard&) = delete;

    bool made() const { return m_made; }
    // Whether a reader had to be released: it blocked on the FIFO.
    bool readerWasStuck() const { return m_released; }

private:
    void watch(std::chrono::seconds patience)
    {
        std::unique_lock lock(m_mutex);
        if (m_wake.wait_for(lock, patience, [this] { return m_done; }))
            return;
        while (!m_done) {
            // Succeeds only while a reader waits in its open().
            const int fd = ::open(m_path.constData(), O_WRONLY | O_NONBLOCK);
            if (fd >= 0) {
                ::close(fd);
                m_released = true;
            }
            m_wake.wait_for(lock, std::chrono::milliseconds(100), [this] { return m_done; });
        }
    }

    QByteArray m_path;
    bool m_made = false;
    std::atomic<bool> m_released = false;
    bool m_done = false;
    std::mutex m_mutex;
    std::condition_variable m_wake;
    std::thread m_watchdog;
};

} // namespace korvanta
