#include "channels/CurlHTTPClient.h"

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <set>
#include <vector>

#include "channels/HTTPTransportError.h"

namespace veyrune {

namespace {

using Kind = HTTPTransportError::Kind;

void initialiseCurlOnce() {
    static std::once_flag once;
    std::call_once(once, [] { curl_global_init(CURL_GLOBAL_DEFAULT); });
}

struct EasyCleanup {
    void operator()(CURL* handle) const { curl_easy_cleanup(handle); }
};
struct MultiCleanup {
    void operator()(CURLM* handle) const { curl_multi_cleanup(handle); }
};
struct ListCleanup {
    void operator()(curl_slist* list) const { curl_slist_free_all(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using MultiHandle = std::unique_ptr<CURLM, MultiCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

void append(HeaderList& list, const std::string& line) {
    curl_slist* grown = curl_slist_append(list.get(), line.c_str());
    if (grown == nullptr) {
        throw HTTPTransportError(Kind::invalidRequest, 0, "Could not build the request headers");
    }
    (void)list.release();
    list.reset(grown);
}

// A line break in a header would let one header smuggle in others.
bool isSafeHeaderText(const std::string& text) {
    return text.find_first_of(std::string("\r\n\0", 3)) == std::string::npos;
}

HeaderList headerList(const HTTPRequest& request) {
    HeaderList list;
    for (const auto& [name, value] : request.headers) {
        if (!isSafeHeaderText(name) || !isSafeHeaderText(value)) {
            throw HTTPTransportError(Kind::invalidRequest, 0, "A header holds a line break");
        }
        append(list, name + ": " + value);
    }
    append(list, "Expect:");  // no 100-continue round trip
    return list;
}

struct BodySink {
    std::string body;
    bool truncated = false;
};

// Keeps at most maximumBodyBytes; past that it stops the transfer.
std::size_t writeBody(char* data, std::size_t size, std::size_t count, void* userData) {
    auto* sink = static_cast<BodySink*>(userData);
    std::size_t bytes = size * count;
    std::size_t room = CurlHTTPClient::maximumBodyBytes - sink->body.size();
    if (bytes > room) {
        sink->body.append(data, room);
        sink->truncated = true;
        return 0;
    }
    sink->body.append(data, bytes);
    return bytes;
}

// One easy handle and the multi handle that drives it. The multi keeps the
// resolved addresses and the loaded certificate store, the easy handle its TLS
// sessions; a reset keeps both. Driving the transfer through a multi lets
// another thread wake it at once to cut it short.
struct Exchange {
    EasyHandle easy;
    MultiHandle multi;
    std::uint64_t networkGeneration = 0;
    // The network changed since this exchange last ran: addresses it resolved
    // then are not used again. The handles stay, so the certificate store is
    // not parsed again (tens of milliseconds) on the first send after a wake.
    bool forgetAddresses = false;
};

}  // namespace

// The kept exchanges, as many as ran at once, and the ones in flight.
struct CurlHTTPClient::Handles {
    // Nothing once cancelled.
    std::optional<Exchange> take() {
        std::lock_guard lock(mutex);
        if (cancelled) {
            return std::nullopt;
        }
        if (idle.empty()) {
            return Exchange{EasyHandle(curl_easy_init()), MultiHandle(curl_multi_init()),
                            networkGeneration};
        }
        Exchange exchange = std::move(idle.back());
        idle.pop_back();
        curl_easy_reset(exchange.easy.get());
        exchange.forgetAddresses = exchange.networkGeneration != networkGeneration;
        exchange.networkGeneration = networkGeneration;
        return exchange;
    }
    void giveBack(Exchange exchange) {
        std::lock_guard lock(mutex);
        if (!cancelled) {
            idle.push_back(std::move(exchange));
        }
    }

    // Runs the transfer to its end or until cancelled.
    CURLcode transfer(Exchange& exchange) {
        CURLM* multi = exchange.multi.get();
        CURL* easy = exchange.easy.get();
        {
            std::lock_guard lock(mutex);
            if (cancelled) {
                return CURLE_ABORTED_BY_CALLBACK;
            }
            active.insert(multi);
        }
        CURLcode result = drive(multi, easy);
        std::lock_guard lock(mutex);
        active.erase(multi);
        return result;
    }
    CURLcode drive(CURLM* multi, CURL* easy) {
        if (curl_multi_add_handle(multi, easy) != CURLM_OK) {
            return CURLE_FAILED_INIT;
        }
        std::optional<CURLcode> result;
        while (!result) {
            int running = 0;
            if (curl_multi_perform(multi, &running) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
                break;
            }
            int left = 0;
            while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
                if (message->msg == CURLMSG_DONE) {
                    result = message->data.result;
                }
            }
            if (!result && cancelled) {
                result = CURLE_ABORTED_BY_CALLBACK;
            } else if (!result && curl_multi_poll(multi, nullptr, 0, 1000, nullptr) != CURLM_OK) {
                result = CURLE_FAILED_INIT;
            }
        }
        curl_multi_remove_handle(multi, easy);
        return *result;
    }

    // Lets the kept exchanges go outside the lock.
    void cancel() {
        std::vector<Exchange> dropped;
        std::lock_guard lock(mutex);
        cancelled = true;
        dropped.swap(idle);
        for (CURLM* multi : active) {
            curl_multi_wakeup(multi);  // ends its poll at once
        }
    }
    void networkChanged() {
        std::lock_guard lock(mutex);
        ++networkGeneration;
    }

    std::mutex mutex;
    std::vector<Exchange> idle;           // guarded by mutex
    std::set<CURLM*> active;              // guarded by mutex
    std::uint64_t networkGeneration = 0;  // guarded by mutex
    std::atomic<bool> cancelled = false;  // written under mutex
};

CurlHTTPClient::CurlHTTPClient(Options options)
    : options_(std::move(options)), handles_(std::make_unique<Handles>()) {
    initialiseCurlOnce();
}

CurlHTTPClient::~CurlHTTPClient() = default;

void CurlHTTPClient::cancelExchanges() {
    handles_->cancel();
}

void CurlHTTPClient::networkChanged() {
    handles_->networkChanged();
}

HTTPResponse CurlHTTPClient::perform(const HTTPRequest& request) const {
    std::optional<Exchange> exchange = handles_->take();
    if (!exchange) {
        throw HTTPTransportError(Kind::network, CURLE_ABORTED_BY_CALLBACK, "Sending was stopped");
    }
    if (!exchange->easy || !exchange->multi) {
        throw HTTPTransportError(Kind::network, CURLE_FAILED_INIT, "Could not start libcurl");
    }
    CURL* handle = exchange->easy.get();
    HeaderList headers = headerList(request);
    HeaderList connectTo;
    if (options_.connectTo) {
        append(connectTo, "::" + *options_.connectTo);
        curl_easy_setopt(handle, CURLOPT_CONNECT_TO, connectTo.get());
    }
    BodySink sink;
    curl_easy_setopt(handle, CURLOPT_URL, request.url.c_str());
    curl_easy_setopt(handle, CURLOPT_PROTOCOLS_STR, "https");
    curl_easy_setopt(handle, CURLOPT_FOLLOWLOCATION, 0L);
    // Each exchange gets a connection of its own: a reply that leaves stray
    // bytes behind cannot spoil the next send. TLS sessions still resume.
    curl_easy_setopt(handle, CURLOPT_FORBID_REUSE, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYPEER, 1L);
    curl_easy_setopt(handle, CURLOPT_SSL_VERIFYHOST, 2L);
    if (options_.caFile) {
        curl_easy_setopt(handle, CURLOPT_CAINFO, options_.caFile->c_str());
    }
    // libcurl keeps a loaded certificate store between exchanges only when it
    // comes from one bundle file; a CA folder beside the bundle (Debian builds
    // name both) makes it parse the whole bundle again for every send.
    char* defaultBundle = nullptr;
    curl_easy_getinfo(handle, CURLINFO_CAINFO, &defaultBundle);
    if (options_.caFile || (defaultBundle != nullptr && *defaultBundle != '\0')) {
        curl_easy_setopt(handle, CURLOPT_CAPATH, nullptr);
    }
    curl_easy_setopt(handle, CURLOPT_NOSIGNAL, 1L);
    if (exchange->forgetAddresses) {
        // A zero lifetime makes libcurl drop every cached address as stale
        // and resolve afresh; the next exchange caches for the default time.
        curl_easy_setopt(handle, CURLOPT_DNS_CACHE_TIMEOUT, 0L);
    }
    curl_easy_setopt(handle, CURLOPT_TIMEOUT_MS, long(options_.timeout.count()));
    curl_easy_setopt(handle, CURLOPT_HTTPHEADER, headers.get());
    curl_easy_setopt(handle, CURLOPT_POSTFIELDSIZE_LARGE, curl_off_t(request.body.size()));
    curl_easy_setopt(handle, CURLOPT_POSTFIELDS, request.body.data());
    if (request.method != "POST") {
        curl_easy_setopt(handle, CURLOPT_CUSTOMREQUEST, request.method.c_str());
    }
    curl_easy_setopt(handle, CURLOPT_WRITEFUNCTION, writeBody);
    curl_easy_setopt(handle, CURLOPT_WRITEDATA, &sink);

    CURLcode result = handles_->transfer(*exchange);
    // The options point into this call's request, headers and sink; the next
    // exchange sets its own after the reset.
    struct GiveBack {
        Handles& handles;
        Exchange& exchange;
        ~GiveBack() { handles.giveBack(std::move(exchange)); }
    } giveBack{*handles_, *exchange};
    bool cutByUs = result == CURLE_WRITE_ERROR && sink.truncated;
    if (result == CURLE_URL_MALFORMAT || result == CURLE_UNSUPPORTED_PROTOCOL) {
        throw HTTPTransportError(Kind::invalidRequest, result, curl_easy_strerror(result));
    }
    if (result != CURLE_OK && !cutByUs) {
        throw HTTPTransportError(Kind::network, result, curl_easy_strerror(result));
    }
    long status = 0;
    curl_easy_getinfo(handle, CURLINFO_RESPONSE_CODE, &status);
    if (status == 0) {
        throw HTTPTransportError(Kind::nonHTTPResponse, 0, "The reply was not HTTP");
    }
    return HTTPResponse{status, std::move(sink.body), sink.truncated};
}

namespace {

struct URLCleanup {
    void operator()(CURLU* url) const { curl_url_cleanup(url); }
};

std::optional<std::string> urlPart(CURLU* url, CURLUPart which) {
    char* text = nullptr;
    if (curl_url_get(url, which, &text, 0) != CURLUE_OK || text == nullptr) {
        return std::nullopt;
    }
    std::string value(text);
    curl_free(text);
    return value;
}

}  // namespace

std::optional<CurlHTTPClient::URLParts> CurlHTTPClient::splitURL(std::string_view text) {
    std::unique_ptr<CURLU, URLCleanup> url(curl_url());
    if (!url) {
        return std::nullopt;
    }
    std::string terminated(text);  // libcurl wants a C string
    if (terminated.find('\0') != std::string::npos ||
        curl_url_set(url.get(), CURLUPART_URL, terminated.c_str(), CURLU_NON_SUPPORT_SCHEME) !=
            CURLUE_OK) {
        return std::nullopt;
    }
    auto scheme = urlPart(url.get(), CURLUPART_SCHEME);
    if (!scheme) {
        return std::nullopt;
    }
    return URLParts{*scheme, urlPart(url.get(), CURLUPART_HOST)};
}

}  // namespace veyrune
