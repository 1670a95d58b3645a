// The settings store: a small INI file of sections and keys whose values read
// back exactly as written. Every write replaces the file atomically, so a
// crash mid-write leaves either the old or the new file, never a torn one.
#pragma once

#include <QMap>
#include <QString>

class IniStore {
public:
    explicit IniStore(QString path);

    QString read(const QString& section, const QString& key) const;
    // Stores the value and rewrites the file before returning; false (with
    // lastError()) when the file could not be written. The value is kept in
    // memory either way, so the running program sees what it wrote.
    bool write(const QString& section, const QString& key, const QString& value);

    const QString& path() const { return m_path; }
    const QString& lastError() const { return m_error; }

    // The file format, exposed for tests and fuzzing.
    static QString encodeValue(const QString& value);
    static QString decodeValue(const QString& text);
    using Sections = QMap<QString, QMap<QString, QString>>;
    static Sections parse(const QByteArray& bytes);
    static QByteArray serialize(const Sections& sections);

private:
    void load();
    bool save();

    QString m_path;
    QString m_error;
    Sections m_sections;
};
