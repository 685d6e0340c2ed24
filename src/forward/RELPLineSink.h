#pragma once

#include <cstdint>
#include <string>

#include "forward/CancelSignal.h"
#include "forward/CollectorAddress.h"
#include "forward/LineSink.h"

namespace veyrune {

class RELPFrameReader;
class TLSChannel;
struct RELPFrame;

// The central-collector route: RFC 5424 messages over RELP with TLS
// (rsyslog's imrelp on the other side), spoken by Veyrune itself over
// TLSChannel. The collector's certificate is always verified, its name
// included; a client certificate and key make it mutual. Each send() is one
// session: open, the lines with up to `window` of them unanswered, close. A
// line counts as taken only once the collector's own "200" answer to it came,
// so lines sent to a collector that failed before answering come again.
class RELPLineSink final : public LineSink {
  public:
    static constexpr std::size_t window = 128;

    struct Configuration {
        CollectorAddress address;
        std::string caFile;  // empty: the system's CA paths
        std::string certificateFile;
        std::string keyFile;
        std::string hostName;  // the sender's, for the messages' header
        unsigned timeoutSeconds = 10;
    };

    // Throws LineSinkError when the cancel descriptor cannot be made.
    explicit RELPLineSink(Configuration configuration);

    std::size_t send(std::span<const ForwardedLine> lines) override;
    void cancel() override;
    void reset() override;

  private:
    void open(TLSChannel& channel, RELPFrameReader& reader);
    void close(TLSChannel& channel, RELPFrameReader& reader, std::uint32_t transaction) noexcept;

    Configuration configuration_;
    CancelSignal cancel_;
};

}  // namespace veyrune
