#include "engine/shard.h"

#include <QByteArray>
#include <QDir>
#include <QStringList>

namespace {

const int maximumShards = 1000000;

/* A whole number of digits only, in 1 .. maximumShards; 0 for anything else. */
int shardNumber(const QString& text) {
    if (text.isEmpty() || text.size() > 7) {
        return 0;
    }
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9')) {
            return 0;
        }
    }
    const int number = text.toInt();
    return number <= maximumShards ? number : 0;
}

}  // namespace

/* FNV-1a over the bytes. */
std::uint32_t Shard::fnv1a(const QByteArray& bytes) {
    std::uint32_t hash = 2166136261u;
    for (const char byte : bytes) {
        hash ^= static_cast<std::uint8_t>(byte);
        hash *= 16777619u;
    }
    return hash;
}

/* Hash the "/"-separated relative path and compare with the shard. */
bool Shard::holds(const QString& relativePath, int index, int count) {
    if (count <= 1) {
        return true;
    }
    QString path = QDir::fromNativeSeparators(relativePath);
    while (path.startsWith(QLatin1Char('/'))) {
        path.remove(0, 1);
    }
    return fnv1a(path.toUtf8()) % static_cast<std::uint32_t>(count) ==
           static_cast<std::uint32_t>(index - 1);
}

/* Insert ".K-of-N" before the ending. */
QString Shard::reportName(const QString& name, int index, int count) {
    const QString tag = QStringLiteral(".%1-of-%2").arg(index).arg(count);
    if (name.endsWith(QLatin1String(".txt"))) {
        return name.left(name.size() - 4) + tag + QStringLiteral(".txt");
    }
    return name + tag;
}

/* Split at the one "/" and check both numbers. */
bool Shard::parse(const QString& text, int& index, int& count) {
    const QStringList parts = text.split(QLatin1Char('/'));
    if (parts.size() != 2) {
        return false;
    }
    const int k = shardNumber(parts[0]);
    const int n = shardNumber(parts[1]);
    if (k < 1 || n < 1 || k > n) {
        return false;
    }
    index = k;
    count = n;
    return true;
}
