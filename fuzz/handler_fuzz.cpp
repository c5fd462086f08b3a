// fuzz/handler_fuzz.cpp -- HttpFilterProc and its two-call reads against a server whose every
// answer comes from the fuzzer: the sizes it reports, the bytes it writes (zeros included or
// left out), its results, missing callbacks. Checked: the read protocol (size asked with no
// buffer, then a buffer of that many blanks and a zero), the texts the filter must have read,
// the callbacks made, the status, the rewritten URL and the page byte for byte; ASan checks
// that nothing is read or written outside the filter's buffers.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "filter/isapi.h"
#include "filter/module.h"
#include "fuzz/fuzz_check.h"
#include "fuzz/reference_decision.h"
#include "fuzz/reference_settings.h"
#include "policy/code_page.h"
#include "policy/settings.h"

namespace quorvane {
namespace {

using isapi::BOOL;
using isapi::DWORD;

std::string asText(const std::string& bytes) { return bytes.substr(0, bytes.find('\0')); }

struct ScriptedServer {
    explicit ScriptedServer(FuzzedDataProvider& provider) : answers(provider) {}

    FuzzedDataProvider& answers;
    isapi::HTTP_FILTER_CONTEXT context{};
    isapi::HTTP_FILTER_PREPROC_HEADERS record{};
    BOOL setHeaderResult = isapi::kTrue;
    BOOL writeClientResult = isapi::kTrue;

    std::vector<std::string> calls;           // "GetHeader Referer:", "WriteClient", ...
    std::map<std::string, std::string> read;  // the text each read must have given the filter
    std::string written;
    DWORD writeCount = 0;
    std::string setUrl;

    // A read between its first and second call.
    bool awaitingSecondCall = false;
    std::string readName;
    std::string value;  // what the server holds for it, zero bytes and all
    DWORD sizeLeft = 0;
};

ScriptedServer& serverOf(isapi::HTTP_FILTER_CONTEXT* pfc) {
    return *static_cast<ScriptedServer*>(pfc->ServerContext);
}

// The size reported for `value`: honest, none, negative, too large, too small, or any.
DWORD reportedSize(FuzzedDataProvider& answers, const std::string& value) {
    const auto needed = static_cast<DWORD>(value.size() + 1);
    switch (answers.ConsumeIntegralInRange(0, 5)) {
        case 1:
            return 0;
        case 2:
            return 0x80000000u | answers.ConsumeIntegral<DWORD>();
        case 3:
            return needed + answers.ConsumeIntegralInRange<DWORD>(1, 4096);
        case 4:
            return needed - answers.ConsumeIntegralInRange<DWORD>(1, needed);
        case 5:
            return answers.ConsumeIntegralInRange<DWORD>(0, 1u << 16);  // larger would only be slow
        default:
            return needed;
    }
}

BOOL answerFirstCall(ScriptedServer& server, const char* name, void* buffer, DWORD* size) {
    FUZZ_CHECK(buffer == nullptr);
    FUZZ_CHECK(*size == 0);
    server.awaitingSecondCall = true;
    server.readName = name;
    server.value = server.answers.ConsumeRandomLengthString(300);
    server.sizeLeft = reportedSize(server.answers, server.value);
    *size = server.sizeLeft;
    return server.answers.ConsumeBool() ? isapi::kTrue : isapi::kFalse;
}

BOOL answerSecondCall(ScriptedServer& server, const char* name, void* buffer, DWORD* size) {
    server.awaitingSecondCall = false;
    FUZZ_CHECK(server.readName == name);
    FUZZ_CHECK(*size == server.sizeLeft);
    const bool hasBuffer = static_cast<std::int32_t>(server.sizeLeft) > 0;
    FUZZ_CHECK((buffer != nullptr) == hasBuffer);
    const BOOL result = server.answers.ConsumeBool() ? isapi::kTrue : isapi::kFalse;
    std::string text;
    if (hasBuffer) {
        auto* bytes = static_cast<char*>(buffer);
        const std::size_t capacity = server.sizeLeft;
        FUZZ_CHECK(std::string_view(bytes, capacity).find_first_not_of(' ') == std::string_view::npos);
        FUZZ_CHECK(bytes[capacity] == '\0');
        // Within the size it was given, the server writes the value with or without its zero.
        const std::string out = server.answers.ConsumeBool() ? server.value + '\0' : server.value;
        const std::size_t count = out.size() < capacity ? out.size() : capacity;
        std::memcpy(bytes, out.data(), count);
        if (result == isapi::kTrue) text = asText(out.substr(0, count) + std::string(capacity - count, ' '));
    }
    server.read[name] = text;
    *size = server.answers.ConsumeIntegral<DWORD>();  // what a server leaves there is not used
    return result;
}

BOOL answerRead(isapi::HTTP_FILTER_CONTEXT* pfc, const char* callback, char* name, void* buffer,
                DWORD* size) {
    ScriptedServer& server = serverOf(pfc);
    server.calls.push_back(std::string(callback) + " " + name);
    return server.awaitingSecondCall ? answerSecondCall(server, name, buffer, size)
                                     : answerFirstCall(server, name, buffer, size);
}

BOOL QUORVANE_WINAPI getHeader(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer, DWORD* size) {
    return answerRead(pfc, "GetHeader", name, buffer, size);
}

BOOL QUORVANE_WINAPI getServerVariable(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, void* buffer,
                                       DWORD* size) {
    return answerRead(pfc, "GetServerVariable", name, buffer, size);
}

BOOL QUORVANE_WINAPI setHeader(isapi::HTTP_FILTER_CONTEXT* pfc, char* name, char* value) {
    ScriptedServer& server = serverOf(pfc);
    server.calls.push_back(std::string("SetHeader ") + name);
    server.setUrl = value;
    return server.setHeaderResult;
}

BOOL QUORVANE_WINAPI writeClient(isapi::HTTP_FILTER_CONTEXT* pfc, void* buffer, DWORD* bytes,
                                 DWORD reserved) {
    ScriptedServer& server = serverOf(pfc);
    server.calls.push_back("WriteClient");
    FUZZ_CHECK(reserved == 0);
    server.writeCount = *bytes;
    server.written.append(static_cast<const char*>(buffer), *bytes);
    *bytes = server.answers.ConsumeIntegral<DWORD>();
    return server.writeClientResult;
}

void loadSettings(const std::string& referers, const std::string& suffixes, const std::string& redirect) {
    FilterSettings& settings = moduleSettings();
    settings.authorizedReferers = splitSettingsList(referers);
    settings.authorizedRefererCount = settings.authorizedReferers.size();
    settings.protectedSuffixes = splitSettingsList(suffixes);
    settings.protectedSuffixCount = settings.protectedSuffixes.size();
    settings.redirectTarget = Text(redirect);
}

}  // namespace
}  // namespace quorvane

using namespace quorvane;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzedDataProvider answers(data, size);
    const std::string referers = asText(answers.ConsumeRandomLengthString(200));
    const std::string suffixes = asText(answers.ConsumeRandomLengthString(200));
    const std::string redirect = asText(answers.ConsumeRandomLengthString(100));
    loadSettings(referers, suffixes, redirect);

    ScriptedServer server(answers);
    const DWORD type = answers.ConsumeIntegralInRange(0, 7) != 0 ? isapi::SF_NOTIFY_PREPROC_HEADERS
                                                                 : answers.ConsumeIntegral<DWORD>();
    // Missing pieces are rare on purpose: each one cuts the request short.
    const std::uint8_t missing =
        answers.ConsumeIntegral<std::uint8_t>() >= 0xF0 ? answers.ConsumeIntegral<std::uint8_t>() : 0;
    server.setHeaderResult = answers.ConsumeBool() ? isapi::kTrue : isapi::kFalse;
    server.writeClientResult = answers.ConsumeBool() ? isapi::kTrue : isapi::kFalse;
    server.context.ServerContext = &server;
    server.context.GetServerVariable = (missing & 1) != 0 ? nullptr : &getServerVariable;
    server.context.WriteClient = (missing & 2) != 0 ? nullptr : &writeClient;
    server.record.GetHeader = (missing & 4) != 0 ? nullptr : &getHeader;
    server.record.SetHeader = (missing & 8) != 0 ? nullptr : &setHeader;
    void* const notification = (missing & 16) != 0 ? nullptr : &server.record;
    isapi::HTTP_FILTER_CONTEXT* const context = (missing & 32) != 0 ? nullptr : &server.context;

    const DWORD status = HttpFilterProc(context, type, notification);
    FUZZ_CHECK(!server.awaitingSecondCall);

    // What the filter had to do with what it read.
    const std::vector<std::string> refererEntries = referenceSplitSettingsList(referers);
    const std::vector<std::string> suffixEntries = referenceSplitSettingsList(suffixes);
    std::vector<std::string> calls;
    DWORD expectedStatus = isapi::SF_STATUS_REQ_NEXT_NOTIFICATION;
    const bool active = !refererEntries.empty() && !suffixEntries.empty();
    if (type == isapi::SF_NOTIFY_PREPROC_HEADERS && active && notification != nullptr && context != nullptr) {
        if (server.record.GetHeader != nullptr) {
            calls = {"GetHeader Referer:", "GetHeader Referer:", "GetHeader Url", "GetHeader Url"};
        }
        switch (referenceDecision(refererEntries, suffixEntries, redirect, server.read["Referer:"],
                                  server.read["Url"], codePage936())) {
            case RequestOutcome::Pass:
                break;
            case RequestOutcome::Redirect:
                if (server.record.SetHeader != nullptr) {
                    calls.push_back("SetHeader Url");
                    FUZZ_CHECK(server.setUrl == redirect);
                }
                break;
            case RequestOutcome::Refuse: {
                expectedStatus = isapi::SF_STATUS_REQ_FINISHED;
                if (server.context.GetServerVariable != nullptr) {
                    calls.insert(calls.end(), 2, "GetServerVariable REMOTE_ADDR");
                }
                if (server.context.WriteClient != nullptr) {
                    calls.push_back("WriteClient");
                    const std::string page = referenceRefusalPage(server.read["REMOTE_ADDR"]);
                    FUZZ_CHECK(server.written == page);
                    FUZZ_CHECK(server.writeCount == page.size());
                }
                break;
            }
        }
    }
    FUZZ_CHECK(server.calls == calls);
    FUZZ_CHECK(status == expectedStatus);
    return 0;
}
