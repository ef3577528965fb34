#pragma once
// A worker whose body is a test's own code.
#include <functional>
#include <utility>

#include "framework/win/Thread.h"

namespace tsbtest {

class TLambdaThread : public tsb::TThread {
public:
    explicit TLambdaThread(std::function<void(TLambdaThread&)> body) : body_(std::move(body)) {}
    using TThread::SleepUnlessTerminated;

protected:
    void Execute() override { body_(*this); }

private:
    std::function<void(TLambdaThread&)> body_;
};

}  // namespace tsbtest
