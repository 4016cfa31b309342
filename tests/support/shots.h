#pragma once

#include <QString>

class QWidget;

// Saves a PNG of the window into $QORVEL_SHOTS (when set), named after the window's
// class and a state word: "TAddressMain-editing.png", or "TPreferences.png" without one.
void saveShot(QWidget* window, const QString& state = {});
