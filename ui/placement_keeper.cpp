#include "placement_keeper.h"

#include "data/settings_file.h"
#include "data/window_placement.h"

#include <QEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QWidget>

namespace qorvel {

namespace {
QString windowClass(const QWidget* w) { return QString::fromLatin1(w->metaObject()->className()); }
}  // namespace

PlacementKeeper::PlacementKeeper(QWidget* window) : QObject(window), window_(window) {
    window->installEventFilter(this);
}

bool PlacementKeeper::eventFilter(QObject* watched, QEvent* event) {
    if (watched == window_) {
        if (event->type() == QEvent::Show && !restored_) {
            restored_ = true;
            const auto p = WindowPlacement::load(settingsFile(), windowClass(window_));
            // A rectangle from another screen layout must not put the window out of reach.
            if (p && QGuiApplication::primaryScreen() &&
                QGuiApplication::primaryScreen()->virtualGeometry().intersects(p->normal)) {
                window_->setGeometry(p->normal);
                if (p->maximized)
                    window_->setWindowState(window_->windowState() | Qt::WindowMaximized);
            }
        } else if (event->type() == QEvent::Hide) {
            save();
        }
    }
    return QObject::eventFilter(watched, event);
}

void PlacementKeeper::save() {
    WindowPlacement p;
    p.normal = window_->normalGeometry().isValid() ? window_->normalGeometry() : window_->geometry();
    p.maximized = window_->isMaximized();
    auto file = settingsFile();
    p.save(file, windowClass(window_));
}

}  // namespace qorvel
