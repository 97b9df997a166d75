#pragma once

#include <QByteArray>
#include <QProcessEnvironment>
#include <QtGlobal>

#include <clocale>
#include <cstring>
#include <string>

// A stretch of a test in a session whose numbers have a decimal comma, as our Catalan
// and Spanish users' have: the process's C library locale (what printf and sscanf
// follow, in the program and in the libraries it loads) and the environment of the
// programs it starts. Everything goes back as it was at the end.
class CommaDecimalSession
{
public:
    explicit CommaDecimalSession(const char *session = "ca_ES.UTF-8")
        : m_previous(std::setlocale(LC_ALL, nullptr)), m_lcAll(qgetenv("LC_ALL")), m_hadLcAll(qEnvironmentVariableIsSet("LC_ALL"))
    {
        m_active = std::setlocale(LC_ALL, session) && std::strcmp(std::localeconv()->decimal_point, ",") == 0;
        qputenv("LC_ALL", session);
    }
    ~CommaDecimalSession()
    {
        std::setlocale(LC_ALL, m_previous.c_str());
        if (m_hadLcAll)
            qputenv("LC_ALL", m_lcAll);
        else
            qunsetenv("LC_ALL");
    }
    CommaDecimalSession(const CommaDecimalSession &) = delete;
    CommaDecimalSession &operator=(const CommaDecimalSession &) = delete;

    // False when the system lacks the session's locale (test.sh generates it).
    bool Active() const { return m_active; }

    // The environment of a program started in such a session.
    static QProcessEnvironment Environment(const char *session = "ca_ES.UTF-8")
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("LC_ALL"));
        environment.remove(QStringLiteral("LC_NUMERIC"));
        environment.insert(QStringLiteral("LANG"), QString::fromLatin1(session));
        return environment;
    }

private:
    std::string m_previous;
    QByteArray m_lcAll;
    bool m_hadLcAll;
    bool m_active = false;
};

#define ENTER_COMMA_DECIMAL_SESSION(name, session)                                                              \
    CommaDecimalSession name(session);                                                                          \
    QVERIFY2(name.Active(), "the locale " session " is not generated (scripts/install-deps.sh --tests does it)")

// A festival that starts and takes every request, and makes no recording of any: as
// festival answers a request it cannot read. Written as "festival" into folder.
inline QByteArray RejectingFestivalScript()
{
    return "#!/bin/sh\n"
           "while IFS= read -r line; do\n"
           "  case \"$line\" in\n"
           "    *READY*) echo READY >&2 ;;\n"
           "    *'\"END'*) echo 'SIOD ERROR: unbound variable' >&2; echo END >&2 ;;\n"
           "  esac\n"
           "done\n";
}
