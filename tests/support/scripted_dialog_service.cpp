#include "scripted_dialog_service.h"

using namespace qorvel;

namespace {
template <typename T>
std::optional<T> take(std::deque<std::optional<T>>& queue) {
    if (queue.empty())
        return std::nullopt;
    auto v = queue.front();
    queue.pop_front();
    return v;
}
}  // namespace

ScriptedDialogService::ScriptedDialogService() { setDialogService(this); }
ScriptedDialogService::~ScriptedDialogService() { setDialogService(nullptr); }

QStringList ScriptedDialogService::texts() const {
    QStringList out;
    for (const Shown& s : shown) {
        if (s.kind == QLatin1String("message") || s.kind == QLatin1String("question"))
            out << s.text;
    }
    return out;
}

QString ScriptedDialogService::lastText() const {
    const QStringList t = texts();
    return t.isEmpty() ? QString() : t.last();
}

void ScriptedDialogService::message(const QString& title, const QString& text, MessageIcon icon) {
    shown.push_back({QStringLiteral("message"), title, text});
    icons.push_back(icon);
}

bool ScriptedDialogService::question(const QString& title, const QString& text, bool) {
    shown.push_back({QStringLiteral("question"), title, text});
    icons.push_back(MessageIcon::Question);
    if (answers.empty())
        return false;
    const bool a = answers.front();
    answers.pop_front();
    return a;
}

std::optional<QString> ScriptedDialogService::inputText(const QString& title, const QString& prompt, const QString&) {
    shown.push_back({QStringLiteral("input"), title, prompt});
    return take(inputs);
}

std::optional<QString> ScriptedDialogService::openFileName(const FileDialogOptions& options) {
    shown.push_back({QStringLiteral("open"), options.caption, options.filter});
    fileRequests.push_back(options);
    return take(files);
}

std::optional<QString> ScriptedDialogService::saveFileName(const FileDialogOptions& options) {
    shown.push_back({QStringLiteral("save"), options.caption, options.filter});
    fileRequests.push_back(options);
    return take(files);
}

std::optional<QFont> ScriptedDialogService::chooseFont(const QFont&) {
    shown.push_back({QStringLiteral("font"), {}, {}});
    return take(fonts);
}

std::optional<QColor> ScriptedDialogService::chooseColor(const QColor&) {
    shown.push_back({QStringLiteral("color"), {}, {}});
    return take(colors);
}

bool ScriptedDialogService::printDialog(PrintDialogRequest& request) {
    shown.push_back({QStringLiteral("print"), {}, {}});
    if (prints.empty())
        return false;
    auto answer = prints.front();
    prints.pop_front();
    return answer(request);
}

bool ScriptedDialogService::printerSetupDialog(PrinterSetupRequest& request) {
    shown.push_back({QStringLiteral("setup"), {}, {}});
    if (setups.empty())
        return false;
    auto answer = setups.front();
    setups.pop_front();
    return answer(request);
}
