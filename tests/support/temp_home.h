#pragma once

#include <QString>
#include <QTemporaryDir>

// A fresh program directory for one test, installed as ProgramDirectory() for its
// lifetime and removed afterwards.
class TempHome {
public:
    TempHome();
    ~TempHome();
    TempHome(const TempHome&) = delete;
    TempHome& operator=(const TempHome&) = delete;

    QString path() const;                        // with trailing '/'
    QString file(const QString& relative) const;  // path() + relative
    QString settingsPath() const { return file(QStringLiteral("QORVEL.ini")); }

    QByteArray read(const QString& relative) const;
    void write(const QString& relative, const QByteArray& content) const;

private:
    QTemporaryDir dir_;
    QString previous_;
};
