#pragma once

#include <QPageSize>
#include <QString>
#include <optional>
#include <vector>

namespace qorvel::print {

// The paper codes the program asks for (the classic printer-driver numbering that
// stored settings use), with their sizes.
struct PaperCode {
    int code;
    QPageSize::PageSizeId id;
    const char* name;
};

std::optional<PaperCode> paperByCode(int code);
std::optional<PaperCode> paperById(QPageSize::PageSizeId id);
const std::vector<PaperCode>& knownPapers();

}  // namespace qorvel::print
