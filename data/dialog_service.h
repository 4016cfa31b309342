#pragma once

#include <QColor>
#include <QFont>
#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace qorvel {

enum class MessageIcon { Information, Warning, Error, Question };

struct FileDialogOptions {
    QString caption;
    QString filter;            // Qt form: "DBF Files (*.dbf)"
    QString defaultExtension;  // without the dot; added when the typed name has none
    QString directory;         // where the dialog starts
    QString proposedName;
};

// Choices of the print dialog: printer, copies and page range.
struct PrintDialogRequest {
    QStringList printers;
    int printerIndex = 0;
    int copies = 1;
    bool allPages = true;
    int fromPage = 1;
    int toPage = 1;
    int maxPage = 1;  // 0 when the number of pages is not known yet
};

// Choices of the printer set-up dialog. The paper and source lists depend on the
// printer chosen in the dialog, so they are asked for as the choice changes.
struct PrinterSetupRequest {
    QStringList printers;
    int printerIndex = 0;
    std::function<QStringList(int printer)> papersOf;
    std::function<QStringList(int printer)> binsOf;
    int paperIndex = -1;  // -1: leave as it is
    int binIndex = -1;
    bool landscape = false;
};

// Every message box and standard dialog goes through this, so tests can script the
// user's answers and read back what was shown.
class DialogService {
public:
    virtual ~DialogService() = default;

    virtual void message(const QString& title, const QString& text, MessageIcon icon) = 0;
    // Yes/No question; returns true for Yes. Escape gives No.
    virtual bool question(const QString& title, const QString& text, bool defaultYes = true) = 0;

    // A line of text asked for in a small box; nullopt when cancelled.
    virtual std::optional<QString> inputText(const QString& title, const QString& prompt, const QString& initial) = 0;

    // The chosen path, or nullopt when the user cancelled.
    virtual std::optional<QString> openFileName(const FileDialogOptions& options) = 0;
    virtual std::optional<QString> saveFileName(const FileDialogOptions& options) = 0;
    virtual std::optional<QFont> chooseFont(const QFont& initial) = 0;
    virtual std::optional<QColor> chooseColor(const QColor& initial) = 0;
    // Returns false when cancelled; on true the request holds the choices.
    virtual bool printDialog(PrintDialogRequest& request) = 0;
    virtual bool printerSetupDialog(PrinterSetupRequest& request) = 0;

    // The box titled "Information" with the information icon.
    void information(const QString& text) { message(QStringLiteral("Information"), text, MessageIcon::Information); }
    void error(const QString& text) { message(QStringLiteral("Error"), text, MessageIcon::Error); }
};

// The service in use. Until one is installed, a quiet one answers No/cancel and
// writes messages to standard error.
DialogService& dialogs();
// Installs a service (not owned); nullptr restores the quiet one.
void setDialogService(DialogService* service);

}  // namespace qorvel
