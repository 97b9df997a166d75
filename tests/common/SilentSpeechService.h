#pragma once

#include <QByteArray>
#include <QString>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

// A speech service on a socket of its own that answers requests as speech-dispatcher
// does (one module, one voice). Told to, it answers nothing more: it reads and keeps
// silent, as a service that hangs. Made slow, it holds its answers until Answer(), as
// a service still starting. Closing it lets the callers stuck on it go.
class SilentSpeechService
{
public:
    explicit SilentSpeechService(const QString &socketPath, bool slow = false) : m_holding(slow)
    {
        m_listener = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        const QByteArray path = socketPath.toLocal8Bit();
        memcpy(address.sun_path, path.constData(), size_t(qMin<qsizetype>(path.size(), sizeof address.sun_path - 1)));
        bind(m_listener, reinterpret_cast<sockaddr *>(&address), sizeof address);
        listen(m_listener, 8);
        m_acceptor = std::thread([this] { Accept(); });
    }
    ~SilentSpeechService()
    {
        Close();
        m_acceptor.join();
        for (std::thread &client : m_clients)
            client.join();
    }

    // From now on nothing is answered.
    void FallSilent() { m_answering = false; }
    // A slow service sends what it held and answers from now on.
    void Answer()
    {
        std::lock_guard lock(m_mutex);
        m_holding = false;
        for (const auto &[fd, reply] : m_held) {
            if (write(fd, reply.constData(), size_t(reply.size())) < 0) {
            }
        }
        m_held.clear();
    }
    // Ends every connection.
    void Close()
    {
        std::lock_guard lock(m_mutex);
        if (m_closed)
            return;
        m_closed = true;
        shutdown(m_listener, SHUT_RDWR);
        close(m_listener);
        for (int fd : m_fds)
            shutdown(fd, SHUT_RDWR);
    }

private:
    void Accept()
    {
        for (;;) {
            const int fd = accept4(m_listener, nullptr, nullptr, SOCK_CLOEXEC);
            std::lock_guard lock(m_mutex);
            if (fd < 0 || m_closed) {
                if (fd >= 0)
                    close(fd);
                return;
            }
            m_fds.push_back(fd);
            m_clients.emplace_back([this, fd] { Serve(fd); });
        }
    }

    void Serve(int fd)
    {
        QByteArray pending;
        char buffer[1024];
        ssize_t n;
        while ((n = read(fd, buffer, sizeof buffer)) > 0) {
            pending.append(buffer, n);
            qsizetype end;
            while ((end = pending.indexOf("\r\n")) >= 0) {
                const QByteArray line = pending.left(end).toUpper();
                pending.remove(0, end + 2);
                if (!m_answering)
                    continue;
                const QByteArray reply = line.startsWith("LIST OUTPUT_MODULES")
                    ? QByteArrayLiteral("250-fake\r\n250 OK MODULE LIST SENT\r\n")
                    : line.startsWith("LIST SYNTHESIS_VOICES")
                    ? QByteArrayLiteral("249-Silent\tca\tnone\r\n249 OK VOICE LIST SENT\r\n")
                    : line.startsWith("QUIT") ? QByteArrayLiteral("231 HAPPY HACKING\r\n")
                                              : QByteArrayLiteral("200 OK\r\n");
                {
                    std::lock_guard lock(m_mutex);
                    if (m_holding) {
                        m_held.push_back({fd, reply});
                        continue;
                    }
                }
                if (write(fd, reply.constData(), size_t(reply.size())) < 0)
                    return;
            }
        }
        close(fd);
    }

    int m_listener = -1;
    std::atomic<bool> m_answering = true;
    std::mutex m_mutex;
    bool m_holding;
    std::vector<std::pair<int, QByteArray>> m_held;
    bool m_closed = false;
    std::vector<int> m_fds;
    std::thread m_acceptor;
    std::vector<std::thread> m_clients;
};
