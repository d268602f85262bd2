#pragma once
// Threads, events, a lockable list and the queue of calls that worker threads hand to the
// user-interface thread.
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace vermaline {

// Milliseconds since an arbitrary start, like the multimedia clock.
uint32_t timeGetTime();
void Sleep(uint32_t milliseconds);

// An auto-reset event: Wait returns once per SetEvent.
class TEvent {
public:
    enum class TWaitResult : uint8_t { wrSignaled, wrTimeout };
    void SetEvent();
    void ResetEvent();
    // Waits at most timeout milliseconds (kInfinite: no limit).
    TWaitResult WaitFor(uint32_t timeout);
    static constexpr uint32_t kInfinite = 0xFFFFFFFFu;

private:
    std::mutex mutex_;
    std::condition_variable signal_;
    bool signaled_ = false;
};

// Calls handed from worker threads to the user-interface thread. The UI thread must call
// CheckSynchronize regularly (the GUI does it from its event loop; waits do it while waiting).
class TSynchronizer {
public:
    static TSynchronizer& Instance();
    // Marks the calling thread as the user-interface thread.
    void SetMainThread();
    bool IsMainThread() const;
    // Runs method on the UI thread and waits for it; runs it at once on the UI thread itself.
    // Exceptions of the method are passed back to the caller.
    void Synchronize(const std::function<void()>& method);
    // Runs the pending calls; returns whether any ran.
    bool CheckSynchronize();

private:
    struct Call;
    TSynchronizer();
    std::thread::id mainThread_;
    std::mutex mutex_;
    std::vector<Call*> pending_;
};

// A thread object: created suspended, started by Resume, asked to stop by Terminate.
class TThread {
public:
    TThread() = default;
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;
    // Joins the thread (after Terminate) so no thread outlives its object.
    virtual ~TThread();

    void Resume();
    void Terminate() { terminated_ = true; }
    bool Terminated() const { return terminated_; }
    // Waits for Execute to end, running synchronised calls meanwhile on the UI thread.
    void WaitFor();
    bool Finished() const { return finished_; }
    std::function<void(TThread&)> OnTerminate;

protected:
    virtual void Execute() = 0;
    void Synchronize(const std::function<void()>& method) { TSynchronizer::Instance().Synchronize(method); }

private:
    void Run();
    std::thread thread_;
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    bool started_ = false;
};

// A list guarded by a lock, for data shared between threads.
template <typename T>
class TThreadList {
public:
    class Locked {
    public:
        explicit Locked(TThreadList& list) : lock_(list.mutex_), items_(list.items_) {}
        std::vector<T>& operator*() { return items_; }
        std::vector<T>* operator->() { return &items_; }

    private:
        std::unique_lock<std::recursive_mutex> lock_;
        std::vector<T>& items_;
    };
    Locked LockList() { return Locked(*this); }
    void Add(const T& item) {
        std::lock_guard lock(mutex_);
        items_.push_back(item);
    }
    void Remove(const T& item) {
        std::lock_guard lock(mutex_);
        std::erase(items_, item);
    }

private:
    std::recursive_mutex mutex_;
    std::vector<T> items_;
};

} // namespace vermaline
