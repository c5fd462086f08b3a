// filter/request_handler.cpp -- the two-call reads and the request notification.
#include "filter/request_handler.h"

#include <cstring>
#include <string_view>

#include "platform/platform.h"
#include "policy/policy.h"

namespace quorvane {
namespace {

using isapi::DWORD;

// Names go to the server in writable copies of the module's literals: the interface
// takes them as non-const, and a server that writes there must not touch the literals.
template <std::size_t N>
struct NameCopy {
    explicit NameCopy(const char* name) {
        std::strncpy(bytes, name, N - 1);
        bytes[N - 1] = '\0';
    }
    char bytes[N];
};
using Name = NameCopy<32>;

Text fetchWithTwoCalls(isapi::PFN_GET_VALUE read, isapi::HTTP_FILTER_CONTEXT& pfc, const char* literalName) {
    if (read == nullptr) return {};
    Name name(literalName);
    DWORD size = 0;
    read(&pfc, name.bytes, nullptr, &size);
    Text buffer;
    if (static_cast<std::int32_t>(size) > 0) {
        buffer = Text::withSize(size);  // size blanks, then the zero withSize adds
        std::memset(buffer.data(), ' ', size);
    }
    if (read(&pfc, name.bytes, buffer.data(), &size) == isapi::kFalse || !buffer.holdsBlock()) return {};
    // The value ends at its first zero byte, at the latest at the buffer's own; the buffer
    // becomes the result, so a read costs one block.
    buffer.shorten(std::strlen(buffer.cString()));
    return buffer;
}

}  // namespace

Text fetchHeaderText(isapi::HTTP_FILTER_CONTEXT& pfc, isapi::HTTP_FILTER_PREPROC_HEADERS& headers,
                     const char* name) {
    return fetchWithTwoCalls(headers.GetHeader, pfc, name);
}

Text fetchServerVariableText(isapi::HTTP_FILTER_CONTEXT& pfc, const char* name) {
    return fetchWithTwoCalls(pfc.GetServerVariable, pfc, name);
}

DWORD handleNotification(const FilterSettings& settings, isapi::HTTP_FILTER_CONTEXT* pfc,
                         DWORD notificationType, void* pvNotification) {
    if (notificationType != isapi::SF_NOTIFY_PREPROC_HEADERS || !isPolicyActive(settings)) {
        return isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
    }
    if (pfc == nullptr || pvNotification == nullptr) return isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
    auto& headers = *static_cast<isapi::HTTP_FILTER_PREPROC_HEADERS*>(pvNotification);

    const Text referer = fetchHeaderText(*pfc, headers, "Referer:");
    const Text url = fetchHeaderText(*pfc, headers, "Url");
    switch (decideRequest(settings, referer.view(), url.view(), platform::ansiCodePage())) {
        case RequestOutcome::Pass:
            return isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
        case RequestOutcome::Redirect: {
            if (headers.SetHeader != nullptr) {
                Name name("Url");
                // The interface takes the value as non-const; the server only reads it.
                headers.SetHeader(pfc, name.bytes, const_cast<char*>(settings.redirectTarget.cString()));
            }
            return isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
        }
        case RequestOutcome::Refuse: {
            const Text address = fetchServerVariableText(*pfc, "REMOTE_ADDR");
            Text page = buildRefusalPage(address.view());
            DWORD count = static_cast<DWORD>(page.size());
            if (pfc->WriteClient != nullptr) pfc->WriteClient(pfc, page.data(), &count, 0);
            return isapi::SF_STATUS_REQ_FINISHED;
        }
    }
    return isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
}

}  // namespace quorvane
