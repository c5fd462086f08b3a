// filter/request_handler.h -- the request notification: read the Referer and the URL
// through the server's callbacks, decide, and pass, rewrite or refuse.
#pragma once

#include "filter/isapi.h"
#include "policy/settings.h"
#include "policy/text.h"

namespace quorvane {

// Reads a request header ("Referer:", "Url") with the record's GetHeader in two calls:
// first for the size, then into a buffer of that many blanks and one zero byte. The
// empty text when the second call fails, the size is 0 or reads as negative, or the
// callback is missing; a value without a zero byte ends at the buffer's extra zero.
Text fetchHeaderText(isapi::HTTP_FILTER_CONTEXT& pfc, isapi::HTTP_FILTER_PREPROC_HEADERS& headers,
                     const char* name);

// The same two-call read of a server variable ("REMOTE_ADDR") with GetServerVariable.
Text fetchServerVariableText(isapi::HTTP_FILTER_CONTEXT& pfc, const char* name);

// Handles one notification against `settings`. Returns SF_STATUS_REQ_FINISHED after the
// refusal page was written, SF_STATUS_REQ_NEXT_NOTIFICATION in every other case. The
// results of SetHeader and WriteClient are not looked at. A null record or context means
// the request is left alone.
isapi::DWORD handleNotification(const FilterSettings& settings, isapi::HTTP_FILTER_CONTEXT* pfc,
                                isapi::DWORD notificationType, void* pvNotification);

}  // namespace quorvane
