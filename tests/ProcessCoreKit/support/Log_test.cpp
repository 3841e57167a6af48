#include "ProcessCoreKit/support/Log.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/LogCapture.h"

namespace quaylight {
namespace {

TEST(Log, RecordsGoToTheSinkInPlaceAndNowhereOnceItIsGone) {
    std::vector<std::string> outer;
    {
        testsupport::LogCapture capture;
        logging::write(LogSeverity::warning, "worker-pool", "a job threw");
        logging::write(LogSeverity::error, "paced-loop", "the sequence ends");
        EXPECT_EQ(capture.lines(), (std::vector<std::string>{"warning [worker-pool] a job threw",
                                                             "error [paced-loop] the sequence ends"}));
        {
            testsupport::LogCapture inner;
            logging::write(LogSeverity::info, "test", "inner");
            EXPECT_EQ(inner.lines(), (std::vector<std::string>{"info [test] inner"}));
        }
        logging::write(LogSeverity::debug, "test", "outer again");
        EXPECT_EQ(capture.lines().back(), "debug [test] outer again");
        EXPECT_EQ(capture.lines().size(), 3u);
    }
    auto previous = logging::setSink(nullptr);
    EXPECT_FALSE(previous);  // nothing was installed before the captures
    logging::write(LogSeverity::error, "test", "dropped");  // no sink: no effect
}

TEST(Log, ASinkThatThrowsIsNotTheWritersProblem) {
    auto previous = logging::setSink([](const LogRecord&) { throw std::runtime_error("sink broke"); });
    EXPECT_NO_THROW(logging::write(LogSeverity::error, "test", "message"));
    logging::setSink(std::move(previous));
}

TEST(Log, TheExceptionBeingHandledIsDescribed) {
    auto describe = [](auto thrower) {
        try {
            thrower();
        } catch (...) {
            return logging::currentExceptionText();
        }
        return std::string();
    };
    EXPECT_EQ(describe([] { throw std::runtime_error("disk gone"); }), "disk gone");
    EXPECT_EQ(describe([] { throw 42; }), "an unknown exception");
}

}  // namespace
}  // namespace quaylight
