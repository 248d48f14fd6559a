#pragma once

#include <QByteArray>
#include <QString>

// Fetch url by HTTP(S) GET into the file at path, blocking the calling thread (which needs no
// running event loop of its own). Redirects are followed unless they lower the security.
// Returns true only for a complete response with status 200 (all bytes a Content-Length
// announced arrived) that was written to disk whole; the file is then replaced at once.
// On any failure the file at path stays exactly as it was (absent or with its old contents).
bool downloadUrlToFile(const QByteArray& url, const QString& path);
