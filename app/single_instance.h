#pragma once

#include <QLockFile>
#include <QObject>
#include <memory>

class QLocalServer;

// One running Qorvel per program directory: a lock file in the home, and a local
// socket through which a second start asks the first to show itself.
class SingleInstance : public QObject {
    Q_OBJECT
public:
    explicit SingleInstance(const QString& home, QObject* parent = nullptr);
    ~SingleInstance() override;

    // True when no other instance runs on this home (this one now holds it). Otherwise
    // the running instance has been asked to come to the front.
    bool claim();

signals:
    void activationRequested();

private:
    QString serverName() const;

    QString home_;
    std::unique_ptr<QLockFile> lock_;
    QLocalServer* server_ = nullptr;
};
