#pragma once

#include "print/base_report.h"

#include <QStringList>
#include <vector>

// A canvas for tests: keeps every page and drawing call, and the misuse reports,
// on a fixed Letter sheet unless told otherwise.
class RecordingCanvas : public qorvel::print::TBaseReport {
public:
    struct Page {
        qorvel::print::PageInfo info;
        std::vector<qorvel::print::DrawOp> ops;
    };
    std::vector<Page> pages;
    QStringList errors;
    Metrics metrics;
    bool refuseOpen = false;

    template <typename Op>
    std::vector<Op> all() const {
        std::vector<Op> out;
        for (const Page& p : pages)
            for (const auto& op : p.ops)
                if (const auto* o = std::get_if<Op>(&op))
                    out.push_back(*o);
        return out;
    }

protected:
    bool openOutput() override { return !refuseOpen; }
    bool closeOutput(bool) override { return true; }
    qorvel::print::PageSink& sink() override { return sink_; }
    Metrics readMetrics() override { return metrics; }
    void stateError(const QString& message) override { errors << message; }

private:
    struct Sink : qorvel::print::PageSink {
        RecordingCanvas* owner;
        explicit Sink(RecordingCanvas* o) : owner(o) {}
        void beginPage(const qorvel::print::PageInfo& info) override { owner->pages.push_back({info, {}}); }
        void draw(const qorvel::print::DrawOp& op) override { owner->pages.back().ops.push_back(op); }
        void endPage() override {}
    } sink_{this};
};
