#include "print_driver_window.h"

#include "data/dialog_service.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>

namespace qorvel::print {

namespace {
const QString kCancel = QStringLiteral("Cancel");
const QString kStop = QStringLiteral("Stop");
}  // namespace

PrintDriverWindow::PrintDriverWindow(Mode mode, QWidget* parent) : QDialog(parent), mode_(mode), filer_(stream_) {
    setWindowTitle(mode == Mode::Print ? QStringLiteral("Print Status") : QStringLiteral("Preview Status"));
    auto* layout = new QVBoxLayout(this);
    status_ = new QLabel(this);
    status_->setObjectName(QStringLiteral("status"));
    status_->setAlignment(Qt::AlignCenter);
    status_->setMinimumSize(260, 70);
    status_->setFrameShape(QFrame::Panel);
    status_->setFrameShadow(QFrame::Sunken);
    layout->addWidget(status_);
    button_ = new QPushButton(mode == Mode::Print ? kCancel : kStop, this);
    button_->setObjectName(QStringLiteral("button"));
    button_->setDefault(true);
    layout->addWidget(button_, 0, Qt::AlignHCenter);
    connect(button_, &QPushButton::clicked, this, &PrintDriverWindow::buttonPressed);
    for (TBaseReport* r : {static_cast<TBaseReport*>(&printer_), static_cast<TBaseReport*>(&filer_)})
        r->StatusLabel = [this](const QString& text) { status_->setText(text); };
}

PrintDriverWindow::~PrintDriverWindow() = default;

TBaseReport& PrintDriverWindow::report() {
    if (mode_ == Mode::Print)
        return printer_;
    return filer_;
}

void PrintDriverWindow::pump() { QCoreApplication::processEvents(); }

bool PrintDriverWindow::shouldEnd() { return stopped_ || report().Aborted(); }

bool PrintDriverWindow::previewReady() const {
    return mode_ == Mode::Preview && (outcome_ == Outcome::Completed || outcome_ == Outcome::Stopped);
}

QString PrintDriverWindow::statusText() const { return status_->text(); }

QString PrintDriverWindow::finalFormat(Outcome outcome) const {
    const bool printing = mode_ == Mode::Print;
    switch (outcome) {
    case Outcome::Completed: return printing ? QStringLiteral("\rPrint Completed!") : QStringLiteral("\rPreview Completed!");
    case Outcome::Canceled: return printing ? QStringLiteral("\rPrint Canceled!") : QStringLiteral("\rPreview Canceled!");
    case Outcome::Stopped: return QStringLiteral("\rPreview Stopped at page %p!");
    case Outcome::Failed: return QStringLiteral("\rPrint Failed!");
    case Outcome::Running: break;
    }
    return {};
}

void PrintDriverWindow::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (!started_) {
        started_ = true;
        QTimer::singleShot(0, this, &PrintDriverWindow::run);
    }
}

void PrintDriverWindow::run() {
    TBaseReport& r = report();
    r.OnPrintPage = nullptr;
    r.OnAfterPrint = nullptr;
    r.OnPrintHeader = nullptr;
    r.OnPrintFooter = nullptr;
    r.OnNewPage = nullptr;
    r.OnNewColumn = nullptr;
    r.OnBeforePrint = [this](TBaseReport& report) { beforePrint(report); };
    r.OnPrint = [this](TBaseReport& report) { print(report); };
    running_ = true;
    r.Execute();
    running_ = false;
    if (r.Failed())
        outcome_ = Outcome::Failed;
    else if (r.Aborted())
        outcome_ = Outcome::Canceled;
    else if (stopped_)
        outcome_ = Outcome::Stopped;
    else
        outcome_ = Outcome::Completed;
    button_->setText(QStringLiteral("Ok"));
    r.StatusFormat = finalFormat(outcome_);
    r.UpdateStatus();
    if (closesWhenDone(outcome_))
        QMetaObject::invokeMethod(this, &QDialog::accept, Qt::QueuedConnection);
}

void PrintDriverWindow::buttonPressed() {
    const QString caption = button_->text();
    if (caption.compare(kCancel, Qt::CaseInsensitive) == 0) {
        const QString question = cancelQuestion();
        if (question.isEmpty() || dialogs().question(cancelQuestionTitle(), question, false))
            report().Abort();
    } else if (caption.compare(kStop, Qt::CaseInsensitive) == 0) {
        stopped_ = true;
    } else {
        accept();
    }
}

void PrintDriverWindow::closeEvent(QCloseEvent* event) {
    if (running_) {
        // Closing a running job means stopping it; the window stays until it has ended.
        event->ignore();
        buttonPressed();
        return;
    }
    QDialog::closeEvent(event);
}

void PrintDriverWindow::reject() {
    if (running_) {
        buttonPressed();
        return;
    }
    QDialog::reject();
}

}  // namespace qorvel::print
