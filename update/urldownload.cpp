#include "update/urldownload.h"

#include <QEventLoop>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QSaveFile>
#include <QUrl>

#include <memory>

namespace {

/* Move what the reply holds into the file; false when writing fails. */
bool drain(QNetworkReply* reply, QSaveFile& file, qint64& received) {
    const QByteArray bytes = reply->readAll();
    received += bytes.size();
    return file.write(bytes) == bytes.size();
}

/* Whether the finished reply was a complete 200 response. */
bool completeOk(QNetworkReply* reply, qint64 received) {
    if (reply->error() != QNetworkReply::NoError) {
        return false;
    }
    const QVariant status = reply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    if (!status.isValid() || status.toInt() != 200) {
        return false;
    }
    const QVariant length = reply->header(QNetworkRequest::ContentLengthHeader);
    return !length.isValid() || length.toLongLong() == received;
}

}  // namespace

/* Download url into path; see the header for the success rule. */
bool downloadUrlToFile(const QByteArray& url, const QString& path) {
    const QUrl address = QUrl::fromEncoded(url, QUrl::TolerantMode);
    const QString scheme = address.scheme().toLower();
    if (!address.isValid() ||
        (scheme != QLatin1String("http") && scheme != QLatin1String("https"))) {
        return false;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QNetworkAccessManager manager;
    QNetworkRequest request(address);
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::NoLessSafeRedirectPolicy);
    std::unique_ptr<QNetworkReply> reply(manager.get(request));
    qint64 received = 0;
    bool written = true;
    QEventLoop loop;
    QObject::connect(reply.get(), &QNetworkReply::readyRead, [&]() {
        if (written && !drain(reply.get(), file, received)) {
            written = false;
            reply->abort();
        }
    });
    QObject::connect(reply.get(), &QNetworkReply::finished, &loop, &QEventLoop::quit);
    if (!reply->isFinished()) {
        loop.exec();
    }
    if (written && !drain(reply.get(), file, received)) {
        written = false;
    }
    if (!written || !completeOk(reply.get(), received)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}
