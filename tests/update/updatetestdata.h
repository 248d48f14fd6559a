#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <ostream>

// Test data for the update tests: ZIP archives written by Python's zipfile module (a writer we
// did not write), digests and small file helpers.

// One archive entry: a regular file with data, or a symbolic link when linkTarget is set.
struct ZipEntry {
    QByteArray name;
    QByteArray data;
    int mode = 0;           // Unix permissions, 0 for none recorded
    QByteArray linkTarget;  // non-empty: a symbolic link entry
};

// Show an entry by its name in test output.
void PrintTo(const ZipEntry& entry, std::ostream* out);

// The bytes of a deflated ZIP archive holding entries in order; empty (and a test failure
// recorded) when /usr/bin/python3 cannot write it.
QByteArray makeZip(const QList<ZipEntry>& entries);

// Lowercase MD5 hex digits of bytes.
QByteArray md5Hex(const QByteArray& bytes);

// Whole contents of a file, or "<missing>".
QByteArray readFile(const QString& path);

// Write bytes into a new or truncated file; false on failure.
bool writeFile(const QString& path, const QByteArray& bytes);

// The loopback server's "200 OK" response around body (LoopbackServer::okResponse).
QByteArray okResponse(const QByteArray& body);

// Create the process's QCoreApplication once (Qt's event loops and network need one).
void ensureCoreApplication();
