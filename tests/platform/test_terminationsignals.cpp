// SIGTERM and SIGHUP reach the window as a Qt signal, and the handler leaves errno as
// the interrupted code had it.
#include "platform/TerminationSignals.h"

#include <QtTest>

#include <cerrno>
#include <csignal>

class TestTerminationSignals : public QObject
{
    Q_OBJECT

private slots:
    void aSignalBecomesAQtSignalAndKeepsErrno()
    {
        TerminationSignals watcher;
        QVERIFY(watcher.Watching());
        QSignalSpy requested(&watcher, &TerminationSignals::terminationRequested);
        // Signals faster than the window reads them fill the pipe: the handler's write
        // then fails, and must not say so through errno.
        for (int i = 0; i < 70000; ++i)
            raise(SIGHUP);
        errno = 0;
        raise(SIGTERM);
        QCOMPARE(errno, 0);
        QTRY_VERIFY(!requested.isEmpty());
        QCOMPARE(requested.first().first().toInt(), int(SIGHUP));
    }
};

QTEST_GUILESS_MAIN(TestTerminationSignals)
#include "test_terminationsignals.moc"
