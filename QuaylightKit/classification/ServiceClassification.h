#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "ProcessCoreKit/support/RawEnum.h"

namespace quaylight {

enum class Runtime { node, python, ruby, go, bun, deno };
enum class Framework { vite, next, nuxt, cra, webpack, flask, django, fastapi, uvicorn, gunicorn, rails, puma };
enum class KnownService { postgres, mysql, redis, mongodb, docker };
enum class Confidence { high, medium, low, unknown };

template <>
struct RawValues<Runtime> {
    static constexpr std::array<std::pair<Runtime, std::string_view>, 6> table{{
        {Runtime::node, "node"},
        {Runtime::python, "python"},
        {Runtime::ruby, "ruby"},
        {Runtime::go, "go"},
        {Runtime::bun, "bun"},
        {Runtime::deno, "deno"},
    }};
};

template <>
struct RawValues<Framework> {
    static constexpr std::array<std::pair<Framework, std::string_view>, 12> table{{
        {Framework::vite, "vite"},
        {Framework::next, "next"},
        {Framework::nuxt, "nuxt"},
        {Framework::cra, "cra"},
        {Framework::webpack, "webpack"},
        {Framework::flask, "flask"},
        {Framework::django, "django"},
        {Framework::fastapi, "fastapi"},
        {Framework::uvicorn, "uvicorn"},
        {Framework::gunicorn, "gunicorn"},
        {Framework::rails, "rails"},
        {Framework::puma, "puma"},
    }};
};

template <>
struct RawValues<KnownService> {
    static constexpr std::array<std::pair<KnownService, std::string_view>, 5> table{{
        {KnownService::postgres, "postgres"},
        {KnownService::mysql, "mysql"},
        {KnownService::redis, "redis"},
        {KnownService::mongodb, "mongodb"},
        {KnownService::docker, "docker"},
    }};
};

template <>
struct RawValues<Confidence> {
    static constexpr std::array<std::pair<Confidence, std::string_view>, 4> table{{
        {Confidence::high, "high"},
        {Confidence::medium, "medium"},
        {Confidence::low, "low"},
        {Confidence::unknown, "unknown"},
    }};
};

constexpr std::string_view displayName(Runtime runtime) {
    constexpr std::string_view names[] = {"Node", "Python", "Ruby", "Go", "Bun", "Deno"};
    return names[static_cast<int>(runtime)];
}

constexpr std::string_view displayName(Framework framework) {
    constexpr std::string_view names[] = {"Vite",    "Next.js", "Nuxt",    "Create React App", "webpack", "Flask",
                                          "Django",  "FastAPI", "Uvicorn", "Gunicorn",         "Rails",   "Puma"};
    return names[static_cast<int>(framework)];
}

constexpr std::string_view displayName(KnownService service) {
    constexpr std::string_view names[] = {"Postgres", "MySQL", "Redis", "MongoDB", "Docker"};
    return names[static_cast<int>(service)];
}

// What kind of server a listener is, and the text shown for it.
struct ServiceClassification {
    std::optional<Runtime> runtime;
    std::optional<Framework> framework;
    std::optional<KnownService> service;
    Confidence confidence = Confidence::unknown;
    std::string label = "Unknown";

    static ServiceClassification unknown() { return {}; }
    friend bool operator==(const ServiceClassification&, const ServiceClassification&) = default;
};

}  // namespace quaylight
