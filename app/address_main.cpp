#include "address_main.h"

#include "app/new_database_dialogs.h"
#include "app/preferences_dialog.h"
#include "app/rebuild_windows.h"
#include "data/dialog_service.h"
#include "data/printer_presence.h"
#include "data/program_directory.h"

#include <QCloseEvent>
#include <QEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMenuBar>
#include <QStackedWidget>
#include <QTimer>

using namespace qorvel;

TAddressMain::TAddressMain(QWidget* parent) : QMainWindow(parent) {
    setWindowTitle(QStringLiteral("Qorvel"));
    setFixedSize(610, 450);

    fileMenu_ = menuBar()->addMenu(QStringLiteral("&File"));
    fileMenu_->addAction(QStringLiteral("&New Address Database"), this, &TAddressMain::NewFileMenuClick);
    fileMenu_->addAction(QStringLiteral("&Open Address DataBase"), this, &TAddressMain::OpenFileMenuClick);
    fileMenu_->addSeparator();
    fileMenu_->addAction(QStringLiteral("&Rebuild Indexes for this file"), this, &TAddressMain::RebuildIndexesClick);
    fileMenu_->addAction(QStringLiteral("Rebuild S&ystem File indexes"), this, &TAddressMain::RebuildSystemIndexesClick);
    fileMenu_->addAction(QStringLiteral("Pre&ferences"), this, &TAddressMain::mnuPreferencesClick);
    fileMenu_->addSeparator();
    fileMenu_->addAction(QStringLiteral("E&xit "), this, &QWidget::close);

    auto* stack = new QStackedWidget(this);
    noData_ = new QLabel(QStringLiteral("Please Open or Create a Qorvel Address file"), stack);
    noData_->setAlignment(Qt::AlignCenter);
    noData_->setWordWrap(true);
    noData_->setStyleSheet(QStringLiteral("color: green; font-size: 20pt; font-weight: bold; font-style: italic;"));
    summary_ = new QLabel(stack);
    summary_->setAlignment(Qt::AlignCenter);
    stack->addWidget(noData_);
    stack->addWidget(summary_);
    setCentralWidget(stack);

    model_.runRebuildWindow = [this] {
        TQVReindex window(model_.TableQVW(), this);
        window.exec();
    };
    connect(&model_, &AddressMainModel::captionChanged, this, &QWidget::setWindowTitle);
    connect(&model_, &AddressMainModel::tableChanged, this, &TAddressMain::showTableState);
    connect(&model_.TableQVW(), &Dataset::rowsChanged, this, &TAddressMain::showTableState);
    showTableState();
}

void TAddressMain::showTableState() {
    auto* stack = static_cast<QStackedWidget*>(centralWidget());
    if (!model_.isOpen()) {
        stack->setCurrentWidget(noData_);
        return;
    }
    stack->setCurrentWidget(summary_);
    const uint32_t n = model_.TableQVW().recordCount();
    summary_->setText(n == 0 ? QStringLiteral("No records") : QStringLiteral("%1 records (no filter)").arg(n));
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

void TAddressMain::closeEvent(QCloseEvent* event) {
    model_.TableQVW().cancel();
    model_.TableQVW().close();
    event->accept();
}

void TAddressMain::FormActivate() {
    if (!firstActivation_)
        return;
    firstActivation_ = false;
    model_.LoadPreferences();
    model_.openFirstTable();
    PrinterPresenceCheck();
    emit firstActivationDone();
}

void TAddressMain::mnuPreferencesClick() {
    TPreferences dlg(this);
    dlg.exec();
    model_.LoadPreferences();
}

void TAddressMain::NewFileMenuClick() {
    TNewDataBaseName dlg(AddressMainModel::proposeNewDatabaseName(), this);
    if (dlg.exec() == QDialog::Accepted)
        model_.createNewDatabase(dlg.name(), dlg.widths());
}

void TAddressMain::OpenFileMenuClick() {
    FileDialogOptions o;
    o.caption = QStringLiteral("Open Address DataBase");
    o.filter = QStringLiteral("DBF Files (*.dbf *.DBF)");
    o.defaultExtension = QStringLiteral("DBF");
    o.directory = homePath(QStringLiteral("DATA"));
    const auto path = dialogs().openFileName(o);
    if (!path)
        return;
    if (QFileInfo(*path).suffix().compare(QLatin1String("DBF"), Qt::CaseInsensitive) != 0) {
        dialogs().information(QStringLiteral("Must be a DBF file"));
        return;
    }
    model_.OpenQVWDBF(*path);
}

void TAddressMain::RebuildIndexesClick() {
    if (!model_.isOpen()) {
        dialogs().information(QStringLiteral("You need to have a database file open first"));
        return;
    }
    model_.TableQVW().disableControls();
    TQVReindex window(model_.TableQVW(), this);
    window.exec();
    model_.TableQVW().enableControls();
    model_.SetCurrentOrder(model_.currentTag());
    model_.ApplyFilter();
    model_.TableQVW().first();
    showTableState();
}

void TAddressMain::RebuildSystemIndexesClick() {
    TSystemReindex window(this);
    window.exec();
}
