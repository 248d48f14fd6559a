#include "engine/failurereport.h"

#include "support/fileutil.h"

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QStandardPaths>
#include <QStringList>

#include <cstdio>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

/* Open the report for writing without following a link at its name (one planted there is
   removed; one planted again in between makes the open fail). Null when it cannot open. */
std::FILE* openReport(const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray name = path.toLocal8Bit();
    struct stat status {};
    if (::lstat(name.constData(), &status) == 0 && S_ISLNK(status.st_mode)) {
        ::unlink(name.constData());
    }
    const int fd =
        ::open(name.constData(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
    if (fd < 0) {
        return nullptr;
    }
    std::FILE* file = ::fdopen(fd, "w");
    if (file == nullptr) {
        ::close(fd);
    }
    return file;
#else
    // The wide name, in its long form: the 8-bit code page may not hold every character.
    QString full = QDir::toNativeSeparators(QDir::cleanPath(QDir(path).absolutePath()));
    full = full.startsWith(QLatin1String("\\\\")) ? QStringLiteral("\\\\?\\UNC\\") + full.mid(2)
                                                  : QStringLiteral("\\\\?\\") + full;
    return _wfopen(reinterpret_cast<const wchar_t*>(full.utf16()), L"w+");
#endif
}

/* The report's bytes in the local code page, as the editor reads them; when the code page
   cannot hold a name, UTF-8 with its byte-order mark, which the editor also reads. */
QByteArray reportBytes(const QString& text) {
    // A round trip, since Windows' own code-page conversion replaces what it cannot hold
    // without saying so.
    const QByteArray local = text.toLocal8Bit();
    if (QString::fromLocal8Bit(local) == text) {
        return local;
    }
    return QByteArrayLiteral("\xEF\xBB\xBF") + text.toUtf8();
}

}  // namespace

/* Write the report through stdio in text mode, as the editor expects it on the platform. */
bool FailureReport::write(const QString& path, const QString& text) {
    const QByteArray bytes = reportBytes(text);
    std::FILE* file = openReport(path);
    if (file == nullptr) {
        return false;
    }
    const std::size_t written = std::fwrite(bytes.constData(), 1, bytes.size(), file);
    const bool closed = std::fclose(file) == 0;
    return closed && written == static_cast<std::size_t>(bytes.size());
}

/* Escape the characters that would break the line, then end it. */
QString FailureReport::line(const QString& nativePath) {
    QString escaped = nativePath;
    escaped.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    escaped.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    return escaped + QLatin1Char('\n');
}

/* The failed paths, then the section of cut cells when there is one. */
QString FailureReport::text(const QString& failedPaths, const QStringList& cutCells) {
    if (cutCells.isEmpty()) {
        return failedPaths;
    }
    QString text = failedPaths;
    if (!text.isEmpty()) {
        text += QLatin1Char('\n');
    }
    text += QStringLiteral(
        "以下内容在转换中有损失: 文字超过32767个字符, 分列时列数不够, 格式过多, 或公式过大 "
        "(converted, but with these losses):\n");
    for (const QString& cell : cutCells) {
        text += line(cell);
    }
    return text;
}

/* Open the report in the platform's text viewer. */
bool FailureReport::showInSystemViewer(const QString& path) {
    const QString nativePath = QDir::toNativeSeparators(path);
#ifdef Q_OS_WIN
    return QProcess::startDetached(QStringLiteral("notepad.exe"), QStringList{nativePath});
#else
    const QString viewer = QStandardPaths::findExecutable(QStringLiteral("xdg-open"));
    return !viewer.isEmpty() && QProcess::startDetached(viewer, QStringList{nativePath});
#endif
}
