#include "update/httppost.h"

/* Send one POST request and read the reply body. */
int post(const char* host, const char* target, const char* body, std::string& response, int port) {
    (void)host;
    (void)target;
    (void)body;
    (void)port;
    response.clear();
    return HttpPostSocketFailed;
}
