#include "report_filer.h"

namespace qorvel::print {

TReportFiler::TReportFiler(QByteArray& stream) : stream_(stream) { StatusFormat = QStringLiteral("Printing page %p"); }

bool TReportFiler::openOutput() {
    stream_.clear();
    recorder_.emplace(stream_);
    return true;
}

bool TReportFiler::closeOutput(bool) {
    // An aborted recording keeps the pages made so far; the caller decides whether to show them.
    recorder_.reset();
    return true;
}

}  // namespace qorvel::print
