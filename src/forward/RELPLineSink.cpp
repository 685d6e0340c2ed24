#include "forward/RELPLineSink.h"

#include <netinet/in.h>
#include <pthread.h>
#include <signal.h>
#include <sys/socket.h>
#include <atomic>
#include <charconv>
#include <ctime>
#include <filesystem>

extern "C" {
#include <librelp.h>
}

#include "forward/CollectorCertificateCheck.h"
#include "forward/SyslogMessage.h"

namespace veyrune {

namespace {

constexpr int kWindow = 128;

RELPLineSink* sinkOf(void* user) {
    return static_cast<RELPLineSink*>(user);
}

void onAuthError(void* user, char* authInfo, char* message, relpRetVal code) {
    if (user) {
        std::string text = message ? message : "";
        if (authInfo && *authInfo) {
            text += text.empty() ? "" : " ";
            text += "(" + std::string(authInfo) + ")";
        }
        sinkOf(user)->noteLibraryError(text, code);
    }
}

void onError(void* user, char*, char* message, relpRetVal code) {
    if (user && message) {
        sinkOf(user)->noteLibraryError(message, code);
    }
}

// librelp calls its debug hook unconditionally; Veyrune prints nothing.
void ignoreDebugText(char*, ...) {}

void onGenericError(char*, char*, relpRetVal) {
    // Nothing to tell it apart by; the failing call's own code is reported.
}

bool isCertificateRefusal(int code) {
    return code == RELP_RET_AUTH_ERR_NAME || code == RELP_RET_AUTH_CERT_INVL ||
           code == RELP_RET_AUTH_ERR_FP || code == RELP_RET_AUTH_NO_CERT;
}

// RAII for one session's client.
struct Client {
    relpEngine_t* engine;
    relpClt_t* client = nullptr;
    ~Client() {
        if (client) {
            relpEngineCltDestruct(engine, &client);
        }
    }
};

// librelp writes to sockets without MSG_NOSIGNAL: a collector that closes
// the connection would end the process with SIGPIPE. Blocked on the sending
// thread while a session runs; one that arrived meanwhile is taken off
// before unblocking, so it is never delivered.
class PipeSignalBlock {
  public:
    PipeSignalBlock() {
        sigemptyset(&pipe_);
        sigaddset(&pipe_, SIGPIPE);
        pthread_sigmask(SIG_BLOCK, &pipe_, &previous_);
    }
    ~PipeSignalBlock() {
        timespec none{0, 0};
        while (sigtimedwait(&pipe_, nullptr, &none) == SIGPIPE) {
        }
        pthread_sigmask(SIG_SETMASK, &previous_, nullptr);
    }
    PipeSignalBlock(const PipeSignalBlock&) = delete;
    PipeSignalBlock& operator=(const PipeSignalBlock&) = delete;

  private:
    sigset_t pipe_;
    sigset_t previous_;
};

// The open socket connected to `port` on the collector: librelp's session,
// which it does not expose. Only this sink talks to that port.
int sessionSocket(const std::string& port) {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd", error)) {
        int fd = -1;
        auto name = entry.path().filename().string();
        std::from_chars(name.data(), name.data() + name.size(), fd);
        sockaddr_storage peer{};
        socklen_t length = sizeof peer;
        if (fd < 0 || ::getpeername(fd, reinterpret_cast<sockaddr*>(&peer), &length) != 0) {
            continue;
        }
        std::uint16_t peerPort = 0;
        if (peer.ss_family == AF_INET) {
            peerPort = ntohs(reinterpret_cast<sockaddr_in*>(&peer)->sin_port);
        } else if (peer.ss_family == AF_INET6) {
            peerPort = ntohs(reinterpret_cast<sockaddr_in6*>(&peer)->sin6_port);
        }
        if (peerPort != 0 && std::to_string(peerPort) == port) {
            return fd;
        }
    }
    return -1;
}

unsigned char* bytes(const std::string& text) {
    return reinterpret_cast<unsigned char*>(const_cast<char*>(text.c_str()));
}

char* chars(const std::string& text) {
    return const_cast<char*>(text.c_str());
}

}  // namespace

RELPLineSink::RELPLineSink(Configuration configuration) : configuration_(std::move(configuration)) {
    if (relpEngineConstruct(&engine_) != RELP_RET_OK) {
        throw LineSinkError("RELP could not be set up");
    }
    relpEngineSetDbgprint(engine_, ignoreDebugText);
    relpEngineSetTLSLibByName(engine_, "openssl");
    relpEngineSetShutdownImmdtPtr(engine_, &cancelled_);
    relpEngineSetOnAuthErr(engine_, onAuthError);
    relpEngineSetOnErr(engine_, onError);
    relpEngineSetOnGenericErr(engine_, onGenericError);
    relpEngineSetDnsLookupMode(engine_, 0);
    // Without it the session offers no command and the collector refuses it.
    relpEngineSetEnableCmd(engine_, reinterpret_cast<unsigned char*>(const_cast<char*>("syslog")),
                           eRelpCmdState_Required);
}

RELPLineSink::~RELPLineSink() {
    relpEngineDestruct(&engine_);
}

void RELPLineSink::noteLibraryError(std::string text, int code) {
    std::lock_guard lock(errorMutex_);
    // The first cause counts: later ones are its consequences.
    if (libraryError_.empty() || isCertificateRefusal(code)) {
        libraryError_ = std::move(text);
        libraryCode_ = code;
    }
}

void RELPLineSink::cancel() {
    std::atomic_ref<int>(cancelled_).store(1);
    certificateCheck_.cancel();
    // librelp waits out its timeout whatever its shutdown flag says: its
    // socket is shut instead, which ends every wait at once.
    std::lock_guard lock(errorMutex_);
    if (sessionSocket_ >= 0) {
        ::shutdown(sessionSocket_, SHUT_RDWR);
    }
}

void RELPLineSink::reset() {
    std::atomic_ref<int>(cancelled_).store(0);
    certificateCheck_.reset();
}

void RELPLineSink::fail(int code, const char* step) {
    std::string detail;
    int libraryCode = 0;
    {
        std::lock_guard lock(errorMutex_);
        detail = libraryError_;
        libraryCode = libraryCode_;
    }
    if (std::atomic_ref<int>(cancelled_).load() != 0) {
        throw LineSinkError("cancelled");
    }
    if (isCertificateRefusal(code) || isCertificateRefusal(libraryCode)) {
        throw LineSinkError("certificate refused: " + detail);
    }
    switch (code) {
        case RELP_RET_TIMED_OUT:
            throw LineSinkError("no answer");
        case RELP_RET_ERR_TLS_HANDS:
        case RELP_RET_ERR_TLS:
            throw LineSinkError("TLS handshake failed" + (detail.empty() ? "" : ": " + detail));
        case RELP_RET_ERR_TLS_SETUP:
        case RELP_RET_INVLD_TLS_PRIO:
            throw LineSinkError("TLS set-up failed" + (detail.empty() ? "" : ": " + detail));
        default:
            break;
    }
    std::string text = std::string(step) + " failed (RELP error " + std::to_string(code) + ")";
    throw LineSinkError(detail.empty() ? text : text + ": " + detail);
}

std::size_t RELPLineSink::send(std::span<const ForwardedLine> lines) {
    {
        std::lock_guard lock(errorMutex_);
        libraryError_.clear();
        libraryCode_ = 0;
    }
    if (std::atomic_ref<int>(cancelled_).load() != 0) {
        throw LineSinkError("cancelled");
    }
    const auto& c = configuration_;
    const std::string caFile = c.caFile.empty() ? std::string(systemCABundle) : c.caFile;
    PipeSignalBlock noPipeSignal;
    if (auto refused = certificateCheck_.check(c.address, caFile, c.certificateFile, c.keyFile,
                                               c.timeoutSeconds)) {
        throw LineSinkError(*refused);
    }
    Client session{engine_};
    if (relpEngineCltConstruct(engine_, &session.client) != RELP_RET_OK) {
        throw LineSinkError("RELP could not be set up");
    }
    auto* client = session.client;
    relpCltSetUsrPtr(client, this);
    relpCltSetTimeout(client, c.timeoutSeconds);
    relpCltSetConnTimeout(client, int(c.timeoutSeconds));
    relpCltSetWindowSize(client, kWindow);
    // librelp verifies the chain again on its own connection; the name was
    // checked above, as its "name" mode is not applied to client sessions.
    int code = relpCltEnableTLS(client);
    if (code == RELP_RET_OK) {
        code = relpCltSetCACert(client, chars(caFile));
    }
    if (code == RELP_RET_OK && !c.certificateFile.empty()) {
        code = relpCltSetOwnCert(client, chars(c.certificateFile));
    }
    if (code == RELP_RET_OK && !c.keyFile.empty()) {
        code = relpCltSetPrivKey(client, chars(c.keyFile));
    }
    if (code != RELP_RET_OK) {
        fail(code, "TLS set-up");
    }
    code = relpCltConnect(client, AF_UNSPEC, bytes(c.address.port), bytes(c.address.host));
    if (code != RELP_RET_OK) {
        fail(code, "connecting");
    }
    {
        std::lock_guard lock(errorMutex_);
        sessionSocket_ = sessionSocket(c.address.port);
        if (std::atomic_ref<int>(cancelled_).load() != 0 && sessionSocket_ >= 0) {
            ::shutdown(sessionSocket_, SHUT_RDWR);
        }
    }
    struct Forget {
        RELPLineSink& sink;
        ~Forget() {
            std::lock_guard lock(sink.errorMutex_);
            sink.sessionSocket_ = -1;
        }
    } forget{*this};
    relpCltHintBurstBegin(client);
    for (const auto& line : lines) {
        auto message = SyslogMessage::format(line, c.hostName);
        code = relpCltSendSyslog(client, bytes(message), message.size());
        if (code != RELP_RET_OK) {
            relpCltHintBurstEnd(client);
            fail(code, "sending");
        }
    }
    relpCltHintBurstEnd(client);
    // Closing waits for the close's answer, which the collector sends after
    // the answers to every line before it; a session that broke before
    // fails a send above. (librelp's close reports success either way.)
    {
        std::lock_guard lock(errorMutex_);
        sessionSocket_ = -1;  // closed by the destruction below
    }
    code = relpEngineCltDestruct(engine_, &session.client);
    session.client = nullptr;
    if (code != RELP_RET_OK) {
        fail(code, "closing");
    }
    if (std::atomic_ref<int>(cancelled_).load() != 0) {
        throw LineSinkError("cancelled");
    }
    return lines.size();
}

}  // namespace veyrune
