#include "program_directory.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>

namespace qorvel {

namespace {
QString g_programDirectory;

QString absoluteDir(const QString& dir) {
    return withTrailingSeparator(QDir::cleanPath(QDir(dir).absolutePath()));
}

bool holdsPortableHome(const QString& dir) {
    if (dir.isEmpty())
        return false;
    const QFileInfo ini(resolveIgnoringCase(dir, QStringLiteral("QORVEL.ini")));
    const QFileInfo data(resolveIgnoringCase(dir, QStringLiteral("DATA")));
    return ini.isFile() || data.isDir();
}
}  // namespace

QString withTrailingSeparator(const QString& dir) {
    if (dir.endsWith(QLatin1Char('/')))
        return dir;
    return dir + QLatin1Char('/');
}

QString homeArgument(const QStringList& args) {
    for (int i = 0; i < args.size(); ++i) {
        const QString& a = args.at(i);
        if (a == QLatin1String("--home") && i + 1 < args.size())
            return args.at(i + 1);
        if (a.startsWith(QLatin1String("--home=")))
            return a.mid(7);
    }
    return {};
}

QString chooseHome(const HomeSources& sources) {
    if (!sources.commandLineHome.isEmpty())
        return absoluteDir(sources.commandLineHome);
    if (!sources.environmentHome.isEmpty())
        return absoluteDir(sources.environmentHome);
    if (holdsPortableHome(sources.executableDir))
        return absoluteDir(sources.executableDir);
    return absoluteDir(sources.userDataDir);
}

QString ProgramDirectory() { return g_programDirectory; }

void setProgramDirectory(const QString& dir) {
    g_programDirectory = dir.isEmpty() ? QString() : absoluteDir(dir);
}

QString resolveIgnoringCase(const QString& base, const QString& relative) {
    QString rel = relative;
    rel.replace(QLatin1Char('\\'), QLatin1Char('/'));
    const QStringList parts = rel.split(QLatin1Char('/'), Qt::SkipEmptyParts);
    QString current = withTrailingSeparator(base.isEmpty() ? QStringLiteral(".") : base);
    bool stillExisting = QFileInfo(current).isDir();
    for (int i = 0; i < parts.size(); ++i) {
        QString name = parts.at(i);
        if (stillExisting && name != QLatin1String(".") && name != QLatin1String("..")) {
            if (!QFileInfo::exists(current + name)) {
                const QStringList entries =
                    QDir(current).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
                stillExisting = false;
                for (const QString& e : entries) {
                    if (e.compare(name, Qt::CaseInsensitive) == 0) {
                        name = e;
                        stillExisting = true;
                        break;
                    }
                }
            }
        }
        current += name;
        if (i + 1 < parts.size()) {
            stillExisting = stillExisting && QFileInfo(current).isDir();
            current += QLatin1Char('/');
        }
    }
    if (rel.endsWith(QLatin1Char('/')) && !current.endsWith(QLatin1Char('/')))
        current += QLatin1Char('/');
    return current;
}

QString homePath(const QString& relative) { return resolveIgnoringCase(ProgramDirectory(), relative); }

HomeFolders prepareHomeFolders(const QString& home) {
    HomeFolders result;
    const QString root = withTrailingSeparator(home);
    if (!QDir().mkpath(root)) {
        result.error = QStringLiteral("Unable to create the program folder %1").arg(QDir::toNativeSeparators(root));
        return result;
    }
    for (const QString& sub : {QStringLiteral("DATA"), QStringLiteral("sysdata")}) {
        const QString path = resolveIgnoringCase(root, sub);
        if (QFileInfo(path).isDir())
            continue;
        if (!QDir().mkpath(path)) {
            result.error = QStringLiteral("Unable to create the folder %1").arg(QDir::toNativeSeparators(path));
            return result;
        }
        if (sub == QLatin1String("sysdata"))
            result.sysdataCreated = true;
    }
    // A folder can exist and still refuse writes (read-only media, wrong owner).
    for (const QString& dir : {root, resolveIgnoringCase(root, QStringLiteral("DATA")),
                               resolveIgnoringCase(root, QStringLiteral("sysdata"))}) {
        QTemporaryFile probe(withTrailingSeparator(dir) + QStringLiteral(".qorvel-write-check-XXXXXX"));
        if (!probe.open()) {
            result.error = QStringLiteral("The folder %1 cannot be written to").arg(QDir::toNativeSeparators(dir));
            return result;
        }
    }
    result.ok = true;
    return result;
}

}  // namespace qorvel
