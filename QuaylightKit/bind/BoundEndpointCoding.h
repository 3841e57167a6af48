#pragma once
// JSON coding of BoundEndpoint, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/bind/BoundEndpoint.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const BoundEndpoint& e) {
    j = BasicJson::object();
    j["address"] = e.address;
    j["family"] = e.family;
    j["port"] = e.port;
}

template <class BasicJson>
void from_json(const BasicJson& j, BoundEndpoint& e) {
    j.at("address").get_to(e.address);
    j.at("family").get_to(e.family);
    j.at("port").get_to(e.port);
}

}  // namespace quaylight
