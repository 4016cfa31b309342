#pragma once

#include "print/base_report.h"

#include <memory>

namespace qorvel::print {

// The canvas that prints: onto a PDF file for the built-in "PDF file" printer, or
// through a PDF handed to the selected CUPS queue. Pages are drawn at 1200 dpi
// from the sheet's corner; what falls on a queue's unprintable strips is clipped.
class TReportPrinter : public TBaseReport {
public:
    TReportPrinter();
    ~TReportPrinter() override;

    // For batch runs: the PDF printer writes here without asking. Empty: it asks.
    QString OutputFile;
    // The PDF file the last completed job wrote (the PDF printer only).
    QString writtenFile() const { return written_; }

protected:
    bool openOutput() override;
    bool closeOutput(bool aborted) override;
    PageSink& sink() override;

private:
    struct Job;
    std::unique_ptr<Job> job_;
    QString written_;
};

}  // namespace qorvel::print
