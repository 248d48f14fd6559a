#pragma once

#include <QString>

#include <cstdint>

// Shards of a run: `--shard K/N` converts only the documents whose path relative to the source
// folder falls to shard K of N, so that N processes (on N machines sharing the folders) convert
// one tree between them without talking to each other.
//
// The rule, stable across platforms and versions: the 32-bit FNV-1a hash of the relative path
// in UTF-8, with "/" between folders and no leading separator, taken modulo N, is K - 1.
class Shard {
public:
    // The 32-bit FNV-1a hash of `bytes` (offset basis 2166136261, prime 16777619).
    static std::uint32_t fnv1a(const QByteArray& bytes);

    // True when `relativePath` (native or "/" separators) belongs to shard `index` of `count`
    // (1 <= index <= count); every path belongs to shard 1 of 1.
    static bool holds(const QString& relativePath, int index, int count);

    // The failure report's file name for shard `index` of `count`: `name` with
    // ".K-of-N" before its ".txt" ending (or at its end without one).
    static QString reportName(const QString& name, int index, int count);

    // Read "K/N" (whole numbers, 1 <= K <= N <= 1000000); false for anything else.
    static bool parse(const QString& text, int& index, int& count);
};
