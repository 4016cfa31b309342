#include "rebuild_windows.h"

#include "data/table_rebuild.h"
#include "ui/help_window.h"

#include <QApplication>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QVBoxLayout>

using namespace qorvel;

RebuildWindow::RebuildWindow(const QString& caption, int helpTopic, QWidget* parent) : QDialog(parent) {
    setWindowTitle(caption);
    status_ = new QLabel(this);
    status_->setMinimumWidth(320);
    gauge_ = new QProgressBar(this);
    gauge_->setRange(0, 100);
    gauge_->hide();
    reindex_ = new QPushButton(QStringLiteral("Reindex"), this);
    reindex_->setDefault(true);
    reindex_->setWhatsThis(QStringLiteral("Starts the rebuild."));
    cancel_ = new QPushButton(QStringLiteral("Cancel"), this);
    help_ = new QPushButton(QStringLiteral("Help"), this);
    mouseHelp_ = makeMouseHelpButton(this);
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(mouseHelp_);
    buttons->addStretch();
    buttons->addWidget(reindex_);
    buttons->addWidget(cancel_);
    buttons->addWidget(help_);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(status_);
    layout->addWidget(gauge_);
    layout->addLayout(buttons);
    connect(reindex_, &QPushButton::clicked, this, &RebuildWindow::Reindex);
    connect(cancel_, &QPushButton::clicked, this, &QDialog::reject);
    connect(help_, &QPushButton::clicked, this, [this, helpTopic] { showHelpTopic(helpTopic, this); });
}

void RebuildWindow::progress(const QString& step, int percent) {
    if (!step.isEmpty())
        status_->setText(step);
    gauge_->setValue(percent);
    QCoreApplication::processEvents();
}

void RebuildWindow::Reindex() {
    QApplication::setOverrideCursor(Qt::WaitCursor);
    gauge_->setValue(0);
    gauge_->show();
    reindex_->setEnabled(false);
    cancel_->hide();
    help_->hide();
    mouseHelp_->hide();
    run();
    gauge_->reset();
    gauge_->hide();
    reindex_->setEnabled(true);
    cancel_->show();
    QApplication::restoreOverrideCursor();
    accept();
}

TQVReindex::TQVReindex(Dataset& table, QWidget* parent)
    : RebuildWindow(QStringLiteral("Rebuild indexes for ") + QFileInfo(table.fileName()).fileName(), 1030, parent),
      table_(table) {}

void TQVReindex::run() {
    succeeded_ = rebuildAddressTable(table_, [this](const QString& step, int percent) { progress(step, percent); });
}

TSystemReindex::TSystemReindex(QWidget* parent) : RebuildWindow(QStringLiteral("Rebuild System Indexes"), 1031, parent) {}

void TSystemReindex::run() {
    rebuildSystemTables([this](const QString& step, int percent) { progress(step, percent); });
}
