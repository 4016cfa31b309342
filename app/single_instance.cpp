#include "single_instance.h"

#include <QCryptographicHash>
#include <QDir>
#include <QLocalServer>
#include <QLocalSocket>

SingleInstance::SingleInstance(const QString& home, QObject* parent) : QObject(parent), home_(home) {}

SingleInstance::~SingleInstance() = default;

QString SingleInstance::serverName() const {
    const QByteArray hash = QCryptographicHash::hash(QDir(home_).canonicalPath().toUtf8(), QCryptographicHash::Sha1);
    return QStringLiteral("qorvel-") + QString::fromLatin1(hash.toHex().left(16));
}

bool SingleInstance::claim() {
    lock_ = std::make_unique<QLockFile>(QDir(home_).filePath(QStringLiteral("qorvel.lock")));
    lock_->setStaleLockTime(0);  // a lock left by a crash is detected by its dead process
    if (!lock_->tryLock(200)) {
        QLocalSocket socket;
        socket.connectToServer(serverName());
        if (socket.waitForConnected(1000)) {
            socket.write("show\n");
            socket.waitForBytesWritten(1000);
            socket.disconnectFromServer();
        }
        return false;
    }
    QLocalServer::removeServer(serverName());
    server_ = new QLocalServer(this);
    server_->setSocketOptions(QLocalServer::UserAccessOption);
    server_->listen(serverName());
    connect(server_, &QLocalServer::newConnection, this, [this] {
        while (QLocalSocket* s = server_->nextPendingConnection()) {
            connect(s, &QLocalSocket::disconnected, s, &QObject::deleteLater);
            emit activationRequested();
        }
    });
    return true;
}
