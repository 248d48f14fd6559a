#pragma once

#include <QByteArray>
#include <QString>

// The MD5 digest (RFC 1321) of the whole file at path as 32 lowercase hexadecimal digits, read
// in blocks of 1024 bytes; empty when the file cannot be opened or read.
QByteArray md5HexOfFile(const QString& path);

// True when text is an MD5 digest written as 32 hexadecimal digits, in either letter case.
bool isMd5Hex(const QByteArray& text);

// True when two digests are equal without regard to letter case; an empty text equals nothing.
bool sameDigest(const QByteArray& a, const QByteArray& b);
