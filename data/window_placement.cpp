#include "window_placement.h"

namespace qorvel {

namespace {
QString sectionFor(const QString& windowClass) { return windowClass + QStringLiteral("_Placement"); }
}  // namespace

std::optional<WindowPlacement> WindowPlacement::load(const ProfileFile& file, const QString& windowClass) {
    const QString s = sectionFor(windowClass);
    const auto l = parseProfileInteger(file.readString(s, QStringLiteral("Left")));
    const auto t = parseProfileInteger(file.readString(s, QStringLiteral("Top")));
    const auto r = parseProfileInteger(file.readString(s, QStringLiteral("Right")));
    const auto b = parseProfileInteger(file.readString(s, QStringLiteral("Bottom")));
    if (!l || !t || !r || !b || *r <= *l || *b <= *t)
        return std::nullopt;
    WindowPlacement p;
    p.normal = QRect(QPoint(*l, *t), QSize(*r - *l, *b - *t));
    p.maximized = file.readBool(s, QStringLiteral("Maximized"), false);
    return p;
}

bool WindowPlacement::save(ProfileFile& file, const QString& windowClass) const {
    return file.writeStrings(sectionFor(windowClass),
                             {{QStringLiteral("Left"), QString::number(normal.left())},
                              {QStringLiteral("Top"), QString::number(normal.top())},
                              {QStringLiteral("Right"), QString::number(normal.left() + normal.width())},
                              {QStringLiteral("Bottom"), QString::number(normal.top() + normal.height())},
                              {QStringLiteral("Maximized"), maximized ? QStringLiteral("1") : QStringLiteral("0")}});
}

}  // namespace qorvel
