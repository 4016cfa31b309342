#include "modal_closer.h"

#include "shots.h"

#include <QApplication>
#include <QDialog>
#include <QTimer>

ModalCloser::ModalCloser(std::function<void(QDialog*)> handle) : handle_(std::move(handle)) {
    timer_ = new QTimer(this);
    timer_->setInterval(20);
    connect(timer_, &QTimer::timeout, this, [this] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible())
            return;
        const QString name = QString::fromLatin1(dlg->metaObject()->className());
        if (seen.isEmpty() || seen.last() != name || dlg->property("qorvelSeen").isNull()) {
            seen << name;
            dlg->setProperty("qorvelSeen", true);
            saveShot(dlg);
        }
        if (handle_)
            handle_(dlg);
        else
            dlg->reject();
    });
    timer_->start();
}
