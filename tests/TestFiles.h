// File helpers shared by the tests: write, read and touch files on the real
// disk. A write that fails fails the test that asked for it.
#pragma once

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <cstdio>
#include <ctime>

#include <fcntl.h>
#include <sys/stat.h>

namespace TestFiles {

inline const QFile::Permissions kExecutable =
    QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadUser | QFile::ExeUser;

// Replaces the file with `bytes`, making its folder first; gives it `mode`
// when one is given.
inline void WriteFile(const QString& path, const QByteArray& bytes, QFile::Permissions mode) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Truncate), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
    f.close();
    if (mode) QVERIFY2(f.setPermissions(mode), qPrintable(path));
}

inline void WriteFile(const QString& path, const QByteArray& bytes, QFile::Permission mode) {
    WriteFile(path, bytes, QFile::Permissions(mode));
}

// The same; `executable` adds the owner's execute right to the usual ones.
inline void WriteFile(const QString& path, const QByteArray& bytes = {}, bool executable = false) {
    WriteFile(path, bytes, QFile::Permissions());
    if (executable) {
        QFile f(path);
        QVERIFY(f.setPermissions(f.permissions() | QFile::ExeOwner | QFile::ExeUser));
    }
}

// Adds `bytes` at the end of the file, as a program writing output does.
inline void AppendFile(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    QVERIFY2(f.open(QIODevice::WriteOnly | QIODevice::Append), qPrintable(path));
    QCOMPARE(f.write(bytes), bytes.size());
}

// Writes `bytes` under a temporary name and renames it over the file (a new
// inode), as a writer that replaces a file whole does.
inline void ReplaceFile(const QString& path, const QByteArray& bytes) {
    const QString temporary = path + QStringLiteral(".new");
    WriteFile(temporary, bytes);
    QVERIFY2(std::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) == 0,
             qPrintable(path));
}

// Sets the file's access and modification times exactly, to make two
// writes look as close in time as a test needs.
inline void SetTime(const QString& path, qint64 seconds, long nanoseconds = 0) {
    const timespec times[2] = {{seconds, nanoseconds}, {seconds, nanoseconds}};
    QVERIFY2(::utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0) == 0, qPrintable(path));
}

// Makes the file look untouched for the last `seconds`.
inline void MakeOld(const QString& path, qint64 seconds = 3600) {
    SetTime(path, std::time(nullptr) - seconds);
}

// An empty file.
inline void Touch(const QString& path) { WriteFile(path); }

// The file's bytes; `ifMissing` when it cannot be read.
inline QByteArray ReadFile(const QString& path, const QByteArray& ifMissing = {}) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : ifMissing;
}

}  // namespace TestFiles
