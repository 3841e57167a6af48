#include <gtest/gtest.h>

#include "QuaylightKit/classification/ServiceClassifier.h"

namespace quaylight {
namespace {

using Argv = std::optional<std::vector<std::string>>;

struct Case {
    std::optional<std::string> name, path;
    std::int64_t port;
    Argv argv;
    ServiceClassification expected;
};

TEST(ServiceClassifier, KnownServiceRuntimeAndFrameworkFromPathArgvAndPort) {
    const auto none = std::nullopt;
    const Case cases[] = {
        {none, "/opt/homebrew/bin/postgres", 5433, none, {none, none, KnownService::postgres, Confidence::high, "Postgres"}},
        {none, "/usr/local/bin/node", 3000, Argv{{"node", "/app/node_modules/.bin/vite"}},
         {Runtime::node, Framework::vite, none, Confidence::high, "Node \u00b7 Vite"}},
        {none, "/usr/local/bin/node", 3000, none, {Runtime::node, none, none, Confidence::medium, "Node"}},
        {"Python", none, 1234, none, {Runtime::python, none, none, Confidence::medium, "Python"}},
        {none, "/usr/bin/python3", 8000, Argv{{"python3", "manage.py", "runserver"}},
         {Runtime::python, Framework::django, none, Confidence::high, "Python \u00b7 Django"}},
        {none, "/usr/bin/python3", 8000, Argv{{"python3", "manage.py", "migrate"}},
         {Runtime::python, none, none, Confidence::medium, "Python"}},
        {none, "/usr/bin/python3.12", 8000, Argv{{"gunicorn", "uvicorn"}},
         {Runtime::python, Framework::gunicorn, none, Confidence::high, "Python \u00b7 Gunicorn"}},
        {none, "/usr/bin/python3", 8000, Argv{{"uvicorn", "Main:App", "fastapi"}},
         {Runtime::python, Framework::uvicorn, none, Confidence::high, "Python \u00b7 Uvicorn"}},
        {none, "/usr/bin/ruby3.3", 3000, Argv{{"puma", "rails"}},
         {Runtime::ruby, Framework::rails, none, Confidence::high, "Ruby \u00b7 Rails"}},
        {none, "/usr/bin/bun", 3000, Argv{{"bun", "next", "dev"}},
         {Runtime::bun, Framework::next, none, Confidence::high, "Bun \u00b7 Next.js"}},
        {none, "/usr/bin/deno", 3000, Argv{{"deno", "/x/.bin/react-scripts", "start"}},
         {Runtime::deno, Framework::cra, none, Confidence::high, "Deno \u00b7 Create React App"}},
        {"myserver", none, 5173, none, {Runtime::node, Framework::vite, none, Confidence::low, "Vite?"}},
        {"myserver", none, 5174, none, ServiceClassification::unknown()},
        {none, "/usr/local/go/bin/go", 8080, Argv{{"go", "run", "vite"}}, {Runtime::go, none, none, Confidence::medium, "Go"}},
        {none, "/srv/api-server", 9999, none, ServiceClassification::unknown()},
        {none, "/usr/bin/redis-server", 6380, none, {none, none, KnownService::redis, Confidence::high, "Redis"}},
        {none, "/usr/bin/redis", 6379, none, {none, none, KnownService::redis, Confidence::low, "Redis?"}},
        {none, "/usr/bin/com.docker.cli", 1, none, {none, none, KnownService::docker, Confidence::high, "Docker"}},
        {none, "/usr/sbin/mariadbd", 3306, none, {none, none, KnownService::mysql, Confidence::high, "MySQL"}},
        {none, "/usr/local/bin/", 3000, none, {none, none, none, Confidence::low, "Web server?"}},  // basename "bin"
        {none, "", 27017, none, {none, none, KnownService::mongodb, Confidence::low, "MongoDB?"}},
        {none, none, 1, none, ServiceClassification::unknown()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ServiceClassifier::classify(c.name, c.path, c.port, c.argv), c.expected)
            << c.path.value_or(c.name.value_or("-")) << " " << c.port;
}

TEST(ServiceClassification, CodedWithoutAbsentMembers) {
    nlohmann::json unknown = ServiceClassification::unknown();
    EXPECT_EQ(unknown.dump(), R"({"confidence":"unknown","label":"Unknown"})");
    ServiceClassification vite{Runtime::node, Framework::vite, std::nullopt, Confidence::high, "Node \u00b7 Vite"};
    nlohmann::json j = vite;
    EXPECT_EQ(j.get<ServiceClassification>(), vite);
    EXPECT_ANY_THROW(nlohmann::json::parse(R"({"runtime":"perl","confidence":"low","label":"x"})")
                         .get<ServiceClassification>());
    EXPECT_ANY_THROW(nlohmann::json::parse(R"({"confidence":"low"})").get<ServiceClassification>());
}

}  // namespace
}  // namespace quaylight
