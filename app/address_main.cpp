#include "address_main.h"

#include "app/preferences_dialog.h"
#include "data/misc_settings.h"
#include "data/settings_file.h"

#include <QEvent>
#include <QMenuBar>
#include <QTimer>

using namespace qorvel;

TAddressMain::TAddressMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Qorvel"));
    setFixedSize(610, 450);

    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->addAction(QStringLiteral("Pre&ferences"), this, &TAddressMain::mnuPreferencesClick);
    fileMenu_->addSeparator();
    fileMenu_->addAction(QStringLiteral("E&xit "), this, &QWidget::close);
}

void TAddressMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // An offscreen or unmanaged window may never be activated; the first show is enough.
    if (firstActivation_)
        QTimer::singleShot(0, this, &TAddressMain::FormActivate);
}

void TAddressMain::changeEvent(QEvent* event) {
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow() && firstActivation_)
        FormActivate();
}

void TAddressMain::FormActivate() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    LoadPreferences();
    emit firstActivationDone();
}

void TAddressMain::LoadPreferences() {
    auto file = settingsFile();
    preferences_ = AddingPreferences::load(file);
    gettingStartedDismissed_ = misc_settings::gettingStartedDismissed(file);
    tagId_ = misc_settings::loadTagId(file);
}

void TAddressMain::SaveTagPref() {
    auto file = settingsFile();
    misc_settings::saveTagId(file, tagId_);
}

void TAddressMain::mnuPreferencesClick() {
    TPreferences dlg(this);
    dlg.exec();
    LoadPreferences();
}
