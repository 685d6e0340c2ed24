#include "channels/JSONBodyEncoding.h"

#include "record/RecordCoding.h"

namespace veyrune {

std::string encodeJSONBody(const nlohmann::ordered_json& body) {
    return escapingSolidus(body.dump());
}

}  // namespace veyrune
