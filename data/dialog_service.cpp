#include "dialog_service.h"

#include <cstdio>

namespace qorvel {

namespace {

class QuietDialogService final : public DialogService {
public:
    void message(const QString& title, const QString& text, MessageIcon) override {
        std::fprintf(stderr, "%s: %s\n", qPrintable(title), qPrintable(text));
    }
    bool question(const QString&, const QString&, bool) override { return false; }
    std::optional<QString> inputText(const QString&, const QString&, const QString&) override { return std::nullopt; }
    std::optional<QString> openFileName(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<QString> saveFileName(const FileDialogOptions&) override { return std::nullopt; }
    std::optional<QFont> chooseFont(const QFont&) override { return std::nullopt; }
    std::optional<QColor> chooseColor(const QColor&) override { return std::nullopt; }
    bool printDialog(PrintDialogRequest&) override { return false; }
    bool printerSetupDialog(PrinterSetupRequest&) override { return false; }
};

QuietDialogService g_quiet;
DialogService* g_service = nullptr;

}  // namespace

DialogService& dialogs() { return g_service ? *g_service : g_quiet; }

void setDialogService(DialogService* service) { g_service = service; }

}  // namespace qorvel
