#include "modal_closer.h"

#include "shots.h"

#include <QApplication>
#include <QDialog>
#include <QEvent>
#include <QTimer>

ModalCloser::ModalCloser(std::function<void(QDialog*)> handle) : handle_(std::move(handle)) {
    qApp->installEventFilter(this);
    timer_ = new QTimer(this);
    timer_->setInterval(20);
    connect(timer_, &QTimer::timeout, this, [this] {
        auto* dlg = qobject_cast<QDialog*>(QApplication::activeModalWidget());
        if (!dlg || !dlg->isVisible())
            return;
        if (handle_)
            handle_(dlg);
        else
            dlg->reject();
    });
    timer_->start();
}

ModalCloser::~ModalCloser() { qApp->removeEventFilter(this); }

bool ModalCloser::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Show) {
        if (auto* dlg = qobject_cast<QDialog*>(watched); dlg && dlg->isWindow()) {
            seen << QString::fromLatin1(dlg->metaObject()->className());
            QTimer::singleShot(0, dlg, [dlg] { saveShot(dlg); });
        }
    }
    return QObject::eventFilter(watched, event);
}
