#pragma once

#include "print/base_report.h"
#include "print/report_stream.h"

#include <QByteArray>
#include <optional>

namespace qorvel::print {

// The canvas that records: every drawing call and page boundary goes into the
// caller's stream, for the preview to play back. Page metrics are the selected
// printer's, so the recording lays out exactly as the print would.
class TReportFiler : public TBaseReport {
public:
    explicit TReportFiler(QByteArray& stream);

protected:
    bool openOutput() override;
    bool closeOutput(bool aborted) override;
    PageSink& sink() override { return *recorder_; }

private:
    QByteArray& stream_;
    std::optional<StreamRecorder> recorder_;
};

}  // namespace qorvel::print
