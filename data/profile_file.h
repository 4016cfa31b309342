#pragma once

#include <QString>
#include <QStringList>
#include <optional>
#include <utility>
#include <vector>

namespace qorvel {

// A Windows-style private-profile (INI) file. Every call opens the file, reads or
// rewrites it and closes it again; nothing is cached, so several windows can own
// sections of the same file. Sections and keys match without regard to letter case
// and the first occurrence of a duplicate wins. Lines the writer does not own are
// kept byte for byte; a rewrite goes through a temporary file and a rename.
class ProfileFile {
public:
    explicit ProfileFile(QString path);

    const QString& path() const { return path_; }

    // The trimmed value (surrounding quotes removed), or nullopt when the file,
    // section or key is missing or the file cannot be read.
    std::optional<QString> value(const QString& section, const QString& key) const;

    QString readString(const QString& section, const QString& key, const QString& fallback = {}) const;
    // A value that is not a whole number yields the fallback.
    int readInteger(const QString& section, const QString& key, int fallback) const;
    // Read as an integer: any value other than 0 is true.
    bool readBool(const QString& section, const QString& key, bool fallback) const;

    // Returns false when the file could not be written (or exists but cannot be
    // read, so rewriting it would lose its content).
    bool writeString(const QString& section, const QString& key, const QString& value);
    bool writeInteger(const QString& section, const QString& key, int value);
    bool writeBool(const QString& section, const QString& key, bool value);

    using Entries = std::vector<std::pair<QString, QString>>;
    // Writes several keys of one section in a single rewrite.
    bool writeStrings(const QString& section, const Entries& entries);

private:
    QString path_;
};

// Parses a settings integer: optional sign, decimal digits (or $hex / 0xhex).
std::optional<int> parseProfileInteger(const QString& text);

}  // namespace qorvel
