#include "qt_dialog_service.h"

#include "ui/printer_setup_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QFontDialog>
#include <QFormLayout>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QSpinBox>

namespace qorvel {

namespace {

QWidget* parentWindow() { return QApplication::activeWindow(); }

QMessageBox::Icon toQt(MessageIcon icon) {
    switch (icon) {
    case MessageIcon::Information: return QMessageBox::Information;
    case MessageIcon::Warning: return QMessageBox::Warning;
    case MessageIcon::Error: return QMessageBox::Critical;
    case MessageIcon::Question: return QMessageBox::Question;
    }
    return QMessageBox::NoIcon;
}

void configure(QFileDialog& dlg, const FileDialogOptions& o) {
    dlg.setWindowTitle(o.caption);
    dlg.setNameFilter(o.filter);
    dlg.setDefaultSuffix(o.defaultExtension);
    dlg.setDirectory(o.directory);
    // A wildcard proposal such as "*.FLT" is a filter hint, not a name.
    if (!o.proposedName.isEmpty() && !o.proposedName.contains(QLatin1Char('*')))
        dlg.selectFile(o.proposedName);
}

}  // namespace

void QtDialogService::message(const QString& title, const QString& text, MessageIcon icon) {
    QMessageBox box(toQt(icon), title, text, QMessageBox::Ok, parentWindow());
    box.exec();
}

bool QtDialogService::question(const QString& title, const QString& text, bool defaultYes) {
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parentWindow());
    box.setDefaultButton(defaultYes ? QMessageBox::Yes : QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> QtDialogService::inputText(const QString& title, const QString& prompt, const QString& initial) {
    bool ok = false;
    const QString text = QInputDialog::getText(parentWindow(), title, prompt, QLineEdit::Normal, initial, &ok);
    if (!ok)
        return std::nullopt;
    return text;
}

std::optional<QString> QtDialogService::openFileName(const FileDialogOptions& options) {
    QFileDialog dlg(parentWindow());
    configure(dlg, options);
    dlg.setAcceptMode(QFileDialog::AcceptOpen);
    dlg.setFileMode(QFileDialog::ExistingFile);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QString> QtDialogService::saveFileName(const FileDialogOptions& options) {
    QFileDialog dlg(parentWindow());
    configure(dlg, options);
    dlg.setAcceptMode(QFileDialog::AcceptSave);
    dlg.setFileMode(QFileDialog::AnyFile);
    // Callers ask their own overwrite question with their own wording.
    dlg.setOption(QFileDialog::DontConfirmOverwrite);
    if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
        return std::nullopt;
    return dlg.selectedFiles().first();
}

std::optional<QFont> QtDialogService::chooseFont(const QFont& initial) {
    bool ok = false;
    const QFont f = QFontDialog::getFont(&ok, initial, parentWindow());
    if (!ok)
        return std::nullopt;
    return f;
}

std::optional<QColor> QtDialogService::chooseColor(const QColor& initial) {
    const QColor c = QColorDialog::getColor(initial, parentWindow());
    if (!c.isValid())
        return std::nullopt;
    return c;
}

bool QtDialogService::printDialog(PrintDialogRequest& request) {
    QDialog dlg(parentWindow());
    dlg.setWindowTitle(QStringLiteral("Print"));
    auto* form = new QFormLayout(&dlg);
    auto* printer = new QComboBox(&dlg);
    printer->addItems(request.printers);
    printer->setCurrentIndex(request.printerIndex);
    form->addRow(QStringLiteral("&Printer:"), printer);
    auto* copies = new QSpinBox(&dlg);
    copies->setRange(1, 999);
    copies->setValue(request.copies);
    form->addRow(QStringLiteral("&Copies:"), copies);
    auto* all = new QRadioButton(QStringLiteral("&All pages"), &dlg);
    auto* range = new QRadioButton(QStringLiteral("Pa&ges"), &dlg);
    auto* from = new QSpinBox(&dlg);
    auto* to = new QSpinBox(&dlg);
    const int last = request.maxPage > 0 ? request.maxPage : 9999;
    from->setRange(1, last);
    to->setRange(1, last);
    from->setValue(request.fromPage);
    to->setValue(request.toPage);
    (request.allPages ? all : range)->setChecked(true);
    form->addRow(all);
    form->addRow(range);
    form->addRow(QStringLiteral("&From:"), from);
    form->addRow(QStringLiteral("&To:"), to);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, &dlg);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dlg, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dlg, &QDialog::reject);
    form->addRow(buttons);
    if (dlg.exec() != QDialog::Accepted)
        return false;
    request.printerIndex = printer->currentIndex();
    request.copies = copies->value();
    request.allPages = all->isChecked();
    request.fromPage = from->value();
    request.toPage = std::max(from->value(), to->value());
    return true;
}

bool QtDialogService::printerSetupDialog(PrinterSetupRequest& request) {
    PrinterSetupWindow window(request, parentWindow());
    if (window.exec() != QDialog::Accepted)
        return false;
    window.store(request);
    return true;
}

}  // namespace qorvel
