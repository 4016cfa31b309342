#pragma once

#include <QObject>

class QWidget;

namespace qorvel {

// Gives a window a remembered place and size: restores it from the settings file now
// and writes it back whenever the window is hidden (closing a modal window hides it
// before it is destroyed). The section is "<class name>_Placement".
class PlacementKeeper : public QObject {
    Q_OBJECT
public:
    explicit PlacementKeeper(QWidget* window);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void save();
    QWidget* window_;
    bool restored_ = false;
};

}  // namespace qorvel
