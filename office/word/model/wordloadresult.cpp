#include "office/word/model/wordloadresult.h"

/* A loaded document; none reads as malformed. */
WordLoadResult WordLoadResult::success(std::shared_ptr<WordDocument> document) {
    WordLoadResult result;
    result.status = document ? Status::Ok : Status::Malformed;
    result.document = std::move(document);
    return result;
}

/* A failure with its reason. */
WordLoadResult WordLoadResult::failure(Status status, const QString& message) {
    WordLoadResult result;
    result.status = status == Status::Ok ? Status::Malformed : status;
    result.message = message;
    return result;
}
