#include "temp_home.h"

#include "data/program_directory.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

TempHome::TempHome() : previous_(qorvel::ProgramDirectory()) {
    QDir(dir_.path()).mkpath(QStringLiteral("DATA"));
    QDir(dir_.path()).mkpath(QStringLiteral("sysdata"));
    qorvel::setProgramDirectory(dir_.path());
}

TempHome::~TempHome() { qorvel::setProgramDirectory(previous_); }

QString TempHome::path() const { return qorvel::withTrailingSeparator(dir_.path()); }

QString TempHome::file(const QString& relative) const { return path() + relative; }

QByteArray TempHome::read(const QString& relative) const {
    QFile f(file(relative));
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void TempHome::write(const QString& relative, const QByteArray& content) const {
    const QString p = file(relative);
    QDir().mkpath(QFileInfo(p).absolutePath());
    QFile f(p);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(content);
}
