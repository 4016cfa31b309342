#pragma once

#include "print/report_filer.h"
#include "print/report_printer.h"

#include <QByteArray>
#include <QDialog>

class QLabel;
class QPushButton;

namespace qorvel::print {

// The status window every print job runs in: "Print Status" with Cancel when
// printing, "Preview Status" with Stop when recording a preview. It runs the job
// when it first shows, keeps the button live while the driver draws, and ends
// with a final status and an Ok button. Label, envelope, report and record
// printout drivers specialise it with their drawing and their texts.
class PrintDriverWindow : public QDialog {
    Q_OBJECT
public:
    enum class Mode { Print, Preview };
    enum class Outcome { Running, Completed, Canceled, Stopped, Failed };

    explicit PrintDriverWindow(Mode mode, QWidget* parent = nullptr);
    ~PrintDriverWindow() override;

    Mode mode() const { return mode_; }
    // The canvas of this run: the printer, or the recorder for a preview.
    TBaseReport& report();
    TReportPrinter& printer() { return printer_; }
    // The recorded job, for the preview window.
    const QByteArray& recording() const { return stream_; }

    // For the drawing routine, between units of work: keeps the window live...
    void pump();
    // ...and says when to stop drawing (print cancelled or preview stopped).
    bool shouldEnd();
    bool stopRequested() const { return stopped_; }

    Outcome outcome() const { return outcome_; }
    // A preview that was not cancelled: the caller opens the preview window on it.
    bool previewReady() const;
    QString statusText() const;
    QPushButton* button() const { return button_; }

protected:
    // The driver's part: settings before the job, and the drawing.
    virtual void beforePrint(TBaseReport&) {}
    virtual void print(TBaseReport& report) = 0;
    // The question asked before cancelling a print; empty: cancel at once.
    virtual QString cancelQuestion() const { return {}; }
    virtual QString cancelQuestionTitle() const { return QStringLiteral("Confirm"); }
    // The final status format (starting with "\r").
    virtual QString finalFormat(Outcome outcome) const;
    // Whether the window closes by itself when the job ends this way.
    virtual bool closesWhenDone(Outcome) const { return false; }

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void reject() override;

private:
    void run();
    void buttonPressed();

    Mode mode_;
    QByteArray stream_;
    TReportPrinter printer_;
    TReportFiler filer_;
    QLabel* status_;
    QPushButton* button_;
    bool started_ = false, running_ = false, stopped_ = false;
    Outcome outcome_ = Outcome::Running;
};

}  // namespace qorvel::print
