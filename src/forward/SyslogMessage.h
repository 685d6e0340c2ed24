#pragma once

#include <string>
#include <string_view>

#include "forward/LineSink.h"

namespace veyrune {

// One stored line as an RFC 5424 syslog message: the host name, app name
// "veyrune", the event's kind as MSGID ("seal" for a seal line), its `seq` in
// structured data, and the line itself, byte for byte and without a BOM, as
// the body. A line that is not JSON still goes out, with nil header fields.
class SyslogMessage {
  public:
    static constexpr std::string_view appName = "veyrune";
    static constexpr std::string_view sealMessageID = "seal";
    // The structured-data element's id (RFC 5612's documentation number).
    static constexpr std::string_view structuredDataID = "veyrune@32473";

    // `hostName` as the sender sees itself; cut and cleaned to what a syslog
    // header may hold.
    static std::string format(const ForwardedLine& line, std::string_view hostName);

    // The SD-PARAM value form of `value`: `"`, `\` and `]` escaped.
    static std::string escapeParamValue(std::string_view value);
    // Printable ASCII only, at most `limit` bytes; "-" when nothing is left.
    static std::string headerField(std::string_view text, std::size_t limit);
};

}  // namespace veyrune
