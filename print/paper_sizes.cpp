#include "paper_sizes.h"

#include <vector>

namespace qorvel::print {

const std::vector<PaperCode>& knownPapers() {
    static const std::vector<PaperCode> papers = {
        {1, QPageSize::Letter, "Letter"},
        {5, QPageSize::Legal, "Legal"},
        {9, QPageSize::A4, "A4"},
        {11, QPageSize::A5, "A5"},
        {19, QPageSize::Envelope9, "Envelope #9"},
        {20, QPageSize::Envelope10, "Envelope #10"},
        {21, QPageSize::Envelope11, "Envelope #11"},
        {22, QPageSize::Envelope12, "Envelope #12"},
        {23, QPageSize::Envelope14, "Envelope #14"},
        {27, QPageSize::EnvelopeDL, "Envelope DL"},
        {28, QPageSize::EnvelopeC5, "Envelope C5"},
        {30, QPageSize::EnvelopeC4, "Envelope C4"},
        {31, QPageSize::EnvelopeC6, "Envelope C6"},
        {32, QPageSize::EnvelopeC65, "Envelope C65"},
        {33, QPageSize::EnvelopeB4, "Envelope B4"},
        {34, QPageSize::EnvelopeB5, "Envelope B5"},
        {35, QPageSize::EnvelopeB6, "Envelope B6"},
        {36, QPageSize::EnvelopeItalian, "Envelope 110 x 230 mm"},
        {37, QPageSize::EnvelopeMonarch, "Envelope Monarch"},
        {38, QPageSize::EnvelopePersonal, "6 3/4 Envelope"},
    };
    return papers;
}

std::optional<PaperCode> paperByCode(int code) {
    for (const PaperCode& p : knownPapers()) {
        if (p.code == code)
            return p;
    }
    return std::nullopt;
}

std::optional<PaperCode> paperById(QPageSize::PageSizeId id) {
    for (const PaperCode& p : knownPapers()) {
        if (p.id == id)
            return p;
    }
    return std::nullopt;
}

}  // namespace qorvel::print
