#pragma once

#include "data/dialog_service.h"

namespace qorvel {

// The dialog service of the running program: Qt message boxes and standard dialogs,
// parented to the active window.
class QtDialogService final : public DialogService {
public:
    void message(const QString& title, const QString& text, MessageIcon icon) override;
    bool question(const QString& title, const QString& text, bool defaultYes) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& initial) override;
    std::optional<QString> openFileName(const FileDialogOptions& options) override;
    std::optional<QString> saveFileName(const FileDialogOptions& options) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool printDialog(PrintDialogRequest& request) override;
    bool printerSetupDialog(PrinterSetupRequest& request) override;
};

}  // namespace qorvel
