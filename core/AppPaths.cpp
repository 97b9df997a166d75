#include "core/AppPaths.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {

QString WithSlash(const QString &path)
{
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

AppPaths AppPaths::InDirectory(const QString &directory, const QString &programDir)
{
    const QString dir = WithSlash(QDir(directory).absolutePath());
    AppPaths paths;
    paths.programDir = programDir.isEmpty() ? dir : WithSlash(QDir(programDir).absolutePath());
    paths.settingsFile = dir + QStringLiteral("tolvanet.ini");
    paths.exchangeFile = dir + QStringLiteral("sonnerix.ini");
    paths.exchangeDir = dir;
    paths.recordsDir = dir + QStringLiteral("records/");
    return paths;
}

AppPaths AppPaths::ForProgramDir(const QString &programDir)
{
    // A copy in the system's own tree (a package's, or one installed under /usr/local)
    // is an installed copy even for the administrator who may write there: what the
    // program writes belongs to the user, not beside files the package manager removes.
    const QString absolute = QDir(programDir).absolutePath();
    const bool systemTree = absolute.startsWith(QStringLiteral("/usr/"));
    if (!systemTree && QFileInfo(programDir).isWritable())
        return InDirectory(programDir);
    const QString config = WithSlash(
        QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) + QStringLiteral("tolvanet/");
    QDir().mkpath(config);
    AppPaths paths = InDirectory(config, programDir);
    const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
    const QString home = QStandardPaths::writableLocation(QStandardPaths::HomeLocation);
    paths.recordsDir = WithSlash(music.isEmpty() ? home : music) + QStringLiteral("Tolvanet/records/");
    return paths;
}

AppPaths AppPaths::ForRunningProgram()
{
    return ForProgramDir(QCoreApplication::applicationDirPath());
}
