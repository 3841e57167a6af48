#pragma once
// JSON coding of ServiceClassification, apart from the record so that only the code that codes it parses the JSON library.

#include <nlohmann/json.hpp>

#include "QuaylightKit/classification/ServiceClassification.h"
#include "ProcessCoreKit/support/JsonCoding.h"

namespace quaylight {

template <class BasicJson>
void to_json(BasicJson& j, const ServiceClassification& c) {
    j = BasicJson::object();
    json_coding::putIfPresent(j, "runtime", c.runtime);
    json_coding::putIfPresent(j, "framework", c.framework);
    json_coding::putIfPresent(j, "service", c.service);
    j["confidence"] = c.confidence;
    j["label"] = c.label;
}

template <class BasicJson>
void from_json(const BasicJson& j, ServiceClassification& c) {
    c.runtime = json_coding::getIfPresent<Runtime>(j, "runtime");
    c.framework = json_coding::getIfPresent<Framework>(j, "framework");
    c.service = json_coding::getIfPresent<KnownService>(j, "service");
    j.at("confidence").get_to(c.confidence);
    j.at("label").get_to(c.label);
}

}  // namespace quaylight
