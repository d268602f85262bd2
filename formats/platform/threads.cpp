#include "formats/platform/threads.h"

#include <exception>

namespace vermaline {

uint32_t timeGetTime() {
    using namespace std::chrono;
    static const steady_clock::time_point start = steady_clock::now();
    return static_cast<uint32_t>(duration_cast<milliseconds>(steady_clock::now() - start).count());
}

void Sleep(uint32_t milliseconds) { std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds)); }

void TEvent::SetEvent() {
    {
        std::lock_guard lock(mutex_);
        signaled_ = true;
    }
    signal_.notify_one();
}

void TEvent::ResetEvent() {
    std::lock_guard lock(mutex_);
    signaled_ = false;
}

TEvent::TWaitResult TEvent::WaitFor(uint32_t timeout) {
    std::unique_lock lock(mutex_);
    if (timeout == kInfinite) {
        signal_.wait(lock, [&] { return signaled_; });
    } else if (!signal_.wait_for(lock, std::chrono::milliseconds(timeout), [&] { return signaled_; })) {
        return TWaitResult::wrTimeout;
    }
    signaled_ = false;
    return TWaitResult::wrSignaled;
}

struct TSynchronizer::Call {
    const std::function<void()>* method;
    std::exception_ptr error;
    bool done = false;
    std::mutex mutex;
    std::condition_variable finished;
};

TSynchronizer::TSynchronizer() : mainThread_(std::this_thread::get_id()) {}

TSynchronizer& TSynchronizer::Instance() {
    static TSynchronizer instance;
    return instance;
}

void TSynchronizer::SetMainThread() { mainThread_ = std::this_thread::get_id(); }

bool TSynchronizer::IsMainThread() const { return std::this_thread::get_id() == mainThread_; }

void TSynchronizer::Synchronize(const std::function<void()>& method) {
    if (IsMainThread()) {
        method();
        return;
    }
    Call call;
    call.method = &method;
    {
        std::lock_guard lock(mutex_);
        pending_.push_back(&call);
    }
    std::unique_lock lock(call.mutex);
    call.finished.wait(lock, [&] { return call.done; });
    if (call.error) std::rethrow_exception(call.error);
}

bool TSynchronizer::CheckSynchronize() {
    std::vector<Call*> calls;
    {
        std::lock_guard lock(mutex_);
        calls.swap(pending_);
    }
    for (Call* call : calls) {
        try {
            (*call->method)();
        } catch (...) {
            call->error = std::current_exception();
        }
        {
            std::lock_guard lock(call->mutex);
            call->done = true;
        }
        call->finished.notify_one();
    }
    return !calls.empty();
}

TThread::~TThread() {
    Terminate();
    if (thread_.joinable()) {
        while (!finished_) {
            if (TSynchronizer::Instance().IsMainThread()) TSynchronizer::Instance().CheckSynchronize();
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        thread_.join();
    }
}

void TThread::Resume() {
    if (started_) return;
    started_ = true;
    thread_ = std::thread([this] { Run(); });
}

void TThread::Run() {
    try {
        Execute();
    } catch (...) {
        // A thread's failure ends the thread; it is not carried to another thread.
    }
    if (OnTerminate) {
        try {
            Synchronize([this] { OnTerminate(*this); });
        } catch (...) {
        }
    }
    finished_ = true;
}

void TThread::WaitFor() {
    if (!started_) return;
    while (!finished_) {
        if (TSynchronizer::Instance().IsMainThread()) TSynchronizer::Instance().CheckSynchronize();
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    if (thread_.joinable()) thread_.join();
}

} // namespace vermaline
