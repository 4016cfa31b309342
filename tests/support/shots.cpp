#include "shots.h"

#include <QDir>
#include <QWidget>

void saveShot(QWidget* window, const QString& state) {
    const QString dir = qEnvironmentVariable("QORVEL_SHOTS");
    if (dir.isEmpty() || !window)
        return;
    QDir().mkpath(dir);
    QString name = QString::fromLatin1(window->metaObject()->className());
    name = name.mid(name.lastIndexOf(QLatin1Char(':')) + 1);  // without the namespace
    if (!state.isEmpty())
        name += QLatin1Char('-') + state;
    window->grab().save(QDir(dir).filePath(name + QStringLiteral(".png")));
}
