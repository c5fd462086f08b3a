// policy/policy.h -- the per-request decision and the refusal page. Portable: plain
// functions of the read-only settings and the request's texts.
#pragma once

#include <string_view>

#include "policy/code_page.h"
#include "policy/settings.h"
#include "policy/text.h"

namespace quorvane {

enum class RequestOutcome { Pass, Redirect, Refuse };

// True when both lists hold at least one entry; otherwise the filter lets all pass.
bool isPolicyActive(const FilterSettings& settings) noexcept;

// What to do with one request. `referer` and `url` are raw texts in the ANSI code page
// (empty when absent), compared as they stand: nothing is decoded and a query string
// stays part of the URL. The authorized list is scanned first; then a protected suffix
// at the end of a non-empty URL gives Redirect when a target is set, else Refuse.
// Compares in place: no allocation. With lists compiled for `codePage` the cost grows with
// the texts' lengths only; otherwise every entry is compared in turn.
RequestOutcome decideRequest(const FilterSettings& settings, std::string_view referer, std::string_view url,
                             const CodePage& codePage) noexcept;

// The same decision by comparing entry after entry, whatever is compiled.
RequestOutcome decideRequestByScan(const FilterSettings& settings, std::string_view referer,
                                   std::string_view url, const CodePage& codePage) noexcept;

// The page sent for Refuse: fixed code page 936 bytes around the client's address,
// which is inserted as it stands. size() is the page's byte count (79 + the address's);
// the terminating zero of the text is not part of the page.
Text buildRefusalPage(std::string_view clientAddress);

// The fixed pieces of the page around the address.
constexpr std::string_view kRefusalPageHead = "\xB6\xD4\xB2\xBB\xC6\xF0 :<b>";  // 对不起
constexpr std::string_view kRefusalPageTail =
    "</b> , \xD3\xC9\xD3\xDA\xC4\xFA\xB5\xC4\xC0\xB4\xC2\xB7\xB2\xBB\xBA\xCF\xB7\xA8"  // 由于您的来路不合法
    " \xB7\xFE\xCE\xF1\xC6\xF7\xBE\xDC\xBE\xF8\xCF\xEC\xD3\xA6\xB1\xBE\xB4\xCE\xC7\xEB\xC7\xF3"  // 服务器拒绝响应本次请求
    " . <br>Quorvane v1.0";

}  // namespace quorvane
