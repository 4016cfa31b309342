#include "profile_file.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <climits>

namespace qorvel {

namespace {

struct Line {
    QByteArray text;        // without its terminator
    QByteArray terminator;  // "\n", "\r\n" or empty on the last line
};

enum class Kind { Other, Section, Key };

struct Parsed {
    Kind kind = Kind::Other;
    QString name;   // section or key name, trimmed
    QString value;  // key value, trimmed and unquoted
};

QByteArray trimmedBytes(const QByteArray& b) { return b.trimmed(); }

Parsed parse(const QByteArray& raw) {
    Parsed p;
    const QByteArray t = trimmedBytes(raw);
    if (t.isEmpty() || t.startsWith(';'))
        return p;
    if (t.startsWith('[')) {
        int close = t.indexOf(']');
        p.kind = Kind::Section;
        p.name = QString::fromUtf8(t.mid(1, close < 0 ? -1 : close - 1)).trimmed();
        return p;
    }
    const int eq = t.indexOf('=');
    if (eq <= 0)
        return p;
    p.kind = Kind::Key;
    p.name = QString::fromUtf8(t.left(eq)).trimmed();
    QString v = QString::fromUtf8(t.mid(eq + 1)).trimmed();
    if (v.size() >= 2 && (v.front() == QLatin1Char('"') || v.front() == QLatin1Char('\'')) && v.back() == v.front())
        v = v.mid(1, v.size() - 2);
    p.value = v;
    return p;
}

bool sameName(const QString& a, const QString& b) { return a.compare(b, Qt::CaseInsensitive) == 0; }

std::vector<Line> splitLines(const QByteArray& data) {
    std::vector<Line> lines;
    qsizetype start = 0;
    while (start < data.size()) {
        qsizetype nl = data.indexOf('\n', start);
        if (nl < 0) {
            lines.push_back({data.mid(start), {}});
            break;
        }
        qsizetype end = nl;
        QByteArray term = "\n";
        if (end > start && data.at(end - 1) == '\r') {
            --end;
            term = "\r\n";
        }
        lines.push_back({data.mid(start, end - start), term});
        start = nl + 1;
    }
    return lines;
}

// Reads the whole file. A missing file is empty; an unreadable one is an error.
std::optional<QByteArray> readAll(const QString& path) {
    QFile f(path);
    if (!f.exists())
        return QByteArray();
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    return f.readAll();
}

QByteArray encodeValue(QString v) {
    // A line break inside a value would split it into lines that are not ours.
    v.replace(QLatin1Char('\r'), QLatin1Char(' '));
    v.replace(QLatin1Char('\n'), QLatin1Char(' '));
    return v.toUtf8();
}

}  // namespace

std::optional<int> parseProfileInteger(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    qlonglong v = 0;
    if (t.startsWith(QLatin1Char('$')))
        v = t.mid(1).toLongLong(&ok, 16);
    else if (t.startsWith(QLatin1String("0x"), Qt::CaseInsensitive))
        v = t.mid(2).toLongLong(&ok, 16);
    else
        v = t.toLongLong(&ok, 10);
    if (!ok || v < INT_MIN || v > INT_MAX)
        return std::nullopt;
    return static_cast<int>(v);
}

ProfileFile::ProfileFile(QString path) : path_(std::move(path)) {}

std::optional<QString> ProfileFile::value(const QString& section, const QString& key) const {
    const auto data = readAll(path_);
    if (!data)
        return std::nullopt;
    bool inSection = false;
    for (const Line& line : splitLines(*data)) {
        const Parsed p = parse(line.text);
        if (p.kind == Kind::Section) {
            if (inSection)
                return std::nullopt;  // the first section of that name is the one that counts
            inSection = sameName(p.name, section);
        } else if (p.kind == Kind::Key && inSection && sameName(p.name, key)) {
            return p.value;
        }
    }
    return std::nullopt;
}

QString ProfileFile::readString(const QString& section, const QString& key, const QString& fallback) const {
    return value(section, key).value_or(fallback);
}

int ProfileFile::readInteger(const QString& section, const QString& key, int fallback) const {
    const auto v = value(section, key);
    if (!v)
        return fallback;
    return parseProfileInteger(*v).value_or(fallback);
}

bool ProfileFile::readBool(const QString& section, const QString& key, bool fallback) const {
    return readInteger(section, key, fallback ? 1 : 0) != 0;
}

bool ProfileFile::writeString(const QString& section, const QString& key, const QString& value) {
    return writeStrings(section, {{key, value}});
}

bool ProfileFile::writeInteger(const QString& section, const QString& key, int value) {
    return writeString(section, key, QString::number(value));
}

bool ProfileFile::writeBool(const QString& section, const QString& key, bool value) {
    return writeString(section, key, value ? QStringLiteral("1") : QStringLiteral("0"));
}

bool ProfileFile::writeStrings(const QString& section, const Entries& entries) {
    const auto data = readAll(path_);
    if (!data)
        return false;
    std::vector<Line> lines = splitLines(*data);
    QByteArray eol = "\n";
    for (const Line& l : lines) {
        if (!l.terminator.isEmpty()) {
            eol = l.terminator;
            break;
        }
    }

    // Locate the first section of that name: its header line and its last non-blank line.
    qsizetype header = -1;
    qsizetype lastContent = -1;
    for (qsizetype i = 0; i < qsizetype(lines.size()); ++i) {
        const Parsed p = parse(lines[i].text);
        if (p.kind == Kind::Section) {
            if (header >= 0)
                break;
            if (sameName(p.name, section)) {
                header = i;
                lastContent = i;
            }
        } else if (header >= 0 && !trimmedBytes(lines[i].text).isEmpty()) {
            lastContent = i;
        }
    }

    if (header < 0) {
        if (!lines.empty()) {
            if (lines.back().terminator.isEmpty())
                lines.back().terminator = eol;
            if (!trimmedBytes(lines.back().text).isEmpty())
                lines.push_back({QByteArray(), eol});
        }
        lines.push_back({"[" + section.toUtf8() + "]", eol});
        header = qsizetype(lines.size()) - 1;
        lastContent = header;
    }

    for (const auto& [key, val] : entries) {
        bool replaced = false;
        for (qsizetype i = header + 1; i <= lastContent; ++i) {
            const Parsed p = parse(lines[i].text);
            if (p.kind == Kind::Key && sameName(p.name, key)) {
                const QByteArray& t = lines[i].text;
                lines[i].text = trimmedBytes(t.left(t.indexOf('='))) + "=" + encodeValue(val);
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            if (lines[lastContent].terminator.isEmpty())
                lines[lastContent].terminator = eol;
            lines.insert(lines.begin() + lastContent + 1, Line{key.toUtf8() + "=" + encodeValue(val), eol});
            ++lastContent;
        }
    }

    QByteArray out;
    out.reserve(data->size() + 64);
    for (const Line& l : lines)
        out += l.text + l.terminator;

    QSaveFile file(path_);
    file.setDirectWriteFallback(false);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    if (file.write(out) != out.size()) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

}  // namespace qorvel
