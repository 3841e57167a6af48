#pragma once
// JSON coding of ListenerIdentity, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/listener/ListenerIdentity.h"
#include "ProcessCoreKit/support/JsonCoding.h"
#include "ProcessCoreKit/records/ProcessIdentityCoding.h"
#include "QuaylightKit/bind/BindSignatureCoding.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const ListenerIdentity& id) {
    j = BasicJson::object();
    j["process"] = id.process;
    j["proto"] = id.proto;
    j["port"] = id.port;
    j["bindSignature"] = id.bindSignature;
    j["isPool"] = id.isPool;
    json_coding::putIfPresent(j, "executablePath", id.executablePath);
}

template <class BasicJson>
void from_json(const BasicJson& j, ListenerIdentity& id) {
    j.at("process").get_to(id.process);
    j.at("proto").get_to(id.proto);
    j.at("port").get_to(id.port);
    j.at("bindSignature").get_to(id.bindSignature);
    j.at("isPool").get_to(id.isPool);
    id.executablePath = json_coding::getIfPresent<std::string>(j, "executablePath");
}

}  // namespace quaylight
