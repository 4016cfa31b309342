#pragma once

#include "data/dialog_service.h"

#include <deque>
#include <functional>
#include <vector>

// A dialog service for tests: records everything shown and answers from queues.
// It installs itself for its lifetime. An empty queue answers like Escape would
// (No, cancel), and the call is still recorded so a test can see it was unexpected.
class ScriptedDialogService final : public qorvel::DialogService {
public:
    struct Shown {
        QString kind;  // "message", "question", "input", "open", "save", "font", "color", "print", "setup"
        QString title;
        QString text;
    };

    ScriptedDialogService();
    ~ScriptedDialogService() override;

    std::vector<Shown> shown;
    std::deque<bool> answers;
    std::deque<std::optional<QString>> files;
    std::deque<std::optional<QString>> inputs;
    std::deque<std::optional<QFont>> fonts;
    std::deque<std::optional<QColor>> colors;
    std::deque<std::function<bool(qorvel::PrintDialogRequest&)>> prints;
    std::deque<std::function<bool(qorvel::PrinterSetupRequest&)>> setups;
    std::vector<qorvel::FileDialogOptions> fileRequests;

    // Texts of all messages and questions, in order.
    QStringList texts() const;
    QString lastText() const;

    void message(const QString& title, const QString& text, qorvel::MessageIcon icon) override;
    bool question(const QString& title, const QString& text, bool defaultYes) override;
    std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& initial) override;
    std::optional<QString> openFileName(const qorvel::FileDialogOptions& options) override;
    std::optional<QString> saveFileName(const qorvel::FileDialogOptions& options) override;
    std::optional<QFont> chooseFont(const QFont& initial) override;
    std::optional<QColor> chooseColor(const QColor& initial) override;
    bool printDialog(qorvel::PrintDialogRequest& request) override;
    bool printerSetupDialog(qorvel::PrinterSetupRequest& request) override;

    std::vector<qorvel::MessageIcon> icons;
};
