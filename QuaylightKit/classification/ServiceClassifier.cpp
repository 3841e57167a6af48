#include "QuaylightKit/classification/ServiceClassifier.h"

#include <algorithm>
#include <string_view>
#include <unordered_set>

#include <fmt/format.h>

#include "ProcessCoreKit/support/Text.h"

namespace quaylight {
namespace {

bool isAnyOf(std::string_view text, std::initializer_list<std::string_view> words) {
    return std::find(words.begin(), words.end(), text) != words.end();
}

std::optional<KnownService> knownService(std::string_view basename) {
    if (isAnyOf(basename, {"postgres", "postgresql", "postmaster"})) return KnownService::postgres;
    if (isAnyOf(basename, {"mysqld", "mariadbd", "mysqld_safe"})) return KnownService::mysql;
    if (basename == "redis-server") return KnownService::redis;
    if (basename == "mongod") return KnownService::mongodb;
    if (isAnyOf(basename, {"dockerd", "docker", "com.docker.backend", "com.docker.vpnkit", "vpnkit"}))
        return KnownService::docker;
    if (basename.starts_with("com.docker")) return KnownService::docker;
    return std::nullopt;
}

std::optional<Runtime> runtime(std::string_view basename) {
    if (isAnyOf(basename, {"node", "nodejs"})) return Runtime::node;
    if (basename == "bun") return Runtime::bun;
    if (basename == "deno") return Runtime::deno;
    if (basename.starts_with("ruby")) return Runtime::ruby;
    if (basename.starts_with("python")) return Runtime::python;
    if (basename == "go") return Runtime::go;
    return std::nullopt;
}

// Each argument lowercased, its last path component, and that component's part before
// the first ".".
std::unordered_set<std::string> argvAtoms(const std::vector<std::string>& argv) {
    std::unordered_set<std::string> atoms;
    for (const auto& argument : argv) {
        std::string lower = asciiLowercased(argument);
        atoms.insert(lower);
        auto last = pathBasename(lower);
        if (!last) continue;
        atoms.insert(*last);
        std::string_view component = *last;
        while (!component.empty() && component.front() == '.') component.remove_prefix(1);
        if (!component.empty()) atoms.insert(std::string(component.substr(0, component.find('.'))));
    }
    return atoms;
}

std::optional<Framework> framework(Runtime runtime, const std::optional<std::vector<std::string>>& argv) {
    if (!argv || argv->empty()) return std::nullopt;
    auto atoms = argvAtoms(*argv);
    auto has = [&](const char* atom) { return atoms.count(atom) > 0; };
    switch (runtime) {
        case Runtime::node:
        case Runtime::bun:
        case Runtime::deno:
            if (has("vite")) return Framework::vite;
            if (has("next")) return Framework::next;
            if (has("nuxt")) return Framework::nuxt;
            if (has("react-scripts")) return Framework::cra;
            if (has("webpack") || has("webpack-dev-server")) return Framework::webpack;
            return std::nullopt;
        case Runtime::python:
            if (has("flask")) return Framework::flask;
            if (has("django") || (has("manage.py") && has("runserver"))) return Framework::django;
            if (has("gunicorn")) return Framework::gunicorn;
            if (has("uvicorn")) return Framework::uvicorn;
            if (has("fastapi")) return Framework::fastapi;
            return std::nullopt;
        case Runtime::ruby:
            if (has("rails")) return Framework::rails;
            if (has("puma")) return Framework::puma;
            return std::nullopt;
        case Runtime::go: return std::nullopt;
    }
    return std::nullopt;
}

std::optional<ServiceClassification> portHint(std::int64_t port) {
    auto hint = [](std::optional<Runtime> r, std::optional<Framework> f, std::optional<KnownService> s,
                   const char* label) { return ServiceClassification{r, f, s, Confidence::low, label}; };
    switch (port) {
        case 3000:
        case 8000:
        case 8080: return hint(std::nullopt, std::nullopt, std::nullopt, "Web server?");
        case 3306: return hint(std::nullopt, std::nullopt, KnownService::mysql, "MySQL?");
        case 5173: return hint(Runtime::node, Framework::vite, std::nullopt, "Vite?");
        case 5432: return hint(std::nullopt, std::nullopt, KnownService::postgres, "Postgres?");
        case 6379: return hint(std::nullopt, std::nullopt, KnownService::redis, "Redis?");
        case 27017: return hint(std::nullopt, std::nullopt, KnownService::mongodb, "MongoDB?");
        default: return std::nullopt;
    }
}

}  // namespace

ServiceClassification ServiceClassifier::classify(const std::optional<std::string>& name,
                                                  const std::optional<std::string>& executablePath, std::int64_t port,
                                                  const std::optional<std::vector<std::string>>& argv) {
    const std::string basename = asciiLowercased(basenameOrName(executablePath, name).value_or(""));
    if (auto service = knownService(basename))
        return {std::nullopt, std::nullopt, service, Confidence::high, std::string(displayName(*service))};
    if (auto r = runtime(basename)) {
        if (auto f = framework(*r, argv))
            return {r, f, std::nullopt, Confidence::high, fmt::format("{} \u00b7 {}", displayName(*r), displayName(*f))};
        return {r, std::nullopt, std::nullopt, Confidence::medium, std::string(displayName(*r))};
    }
    if (auto hint = portHint(port)) return *hint;
    return ServiceClassification::unknown();
}

}  // namespace quaylight
