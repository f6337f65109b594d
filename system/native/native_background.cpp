// Background work on Linux and Windows: one worker thread takes the jobs in
// the order they were started and does each one's slices until it is done,
// then the next. One thread, not one per job: start-up starts several jobs
// at once, and as many threads as jobs would fight the first frames for the
// machine's few cores. Every file is there from the start.
#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>

#include "system/background.h"

namespace {

class TQueuedWork;

// What the worker and the works share. It is never destroyed, so a work
// dropped during the program's exit, after the worker has gone, still finds
// its lock.
struct TQueue {
  std::mutex mutex;
  std::condition_variable changed;
  std::deque<TQueuedWork*> waiting;  // the work in hand is the front
  TQueuedWork* slicing = nullptr;    // the work whose slice runs on the worker now
  bool closed = false;               // the worker has ended, or is ending
  std::thread worker;

  void Run();
};

// The worker ends with the program: the last slice under way finishes,
// nothing else is started, and what is left waits for whoever finishes it.
struct TWorkerEnd {
  explicit TWorkerEnd(TQueue& queue) : queue(queue) {}
  ~TWorkerEnd() {
    {
      std::lock_guard lock(queue.mutex);
      queue.closed = true;
    }
    queue.changed.notify_all();
    if (!queue.worker.joinable()) return;
    // A slice that ends the program ends it on the worker, which cannot wait
    // for itself.
    if (queue.worker.get_id() == std::this_thread::get_id()) {
      queue.worker.detach();
    } else {
      queue.worker.join();
    }
  }
  TQueue& queue;
};

TQueue& Queue() {
  static TQueue* queue = new TQueue;
  return *queue;
}

class TQueuedWork : public TBackgroundWork {
 public:
  explicit TQueuedWork(std::shared_ptr<TBackgroundJob> job) : job_(std::move(job)) {}
  ~TQueuedWork() override { Stop(); }

  void Start() {
    TQueue& queue = Queue();
    {
      std::lock_guard lock(queue.mutex);
      if (queue.closed) return;
      if (!queue.worker.joinable()) queue.worker = std::thread([&queue] { queue.Run(); });
      queue.waiting.push_back(this);
    }
    static TWorkerEnd end(queue);
    queue.changed.notify_all();
  }

  void Finish() override {
    // The rest is quicker done here than waited for: meanwhile the worker
    // goes on with the next job.
    Stop();
    while (!done_) Slice();
    if (error_) std::rethrow_exception(error_);
  }
  void Stop() override {
    TQueue& queue = Queue();
    std::unique_lock lock(queue.mutex);
    std::erase(queue.waiting, this);
    queue.changed.wait(lock, [&] { return queue.slicing != this; });
  }

  // Done by the worker while it holds the work as slicing, or by the caller
  // once the work is off the queue; never by both at once.
  TBackgroundJob::Slice Slice() {
    try {
      const auto slice = job_->Step();
      if (slice == TBackgroundJob::Slice::kDone) done_ = true;
      if (slice == TBackgroundJob::Slice::kWaiting) std::this_thread::sleep_for(std::chrono::milliseconds(1));
      return slice;
    } catch (...) {
      error_ = std::current_exception();
      done_ = true;
      return TBackgroundJob::Slice::kDone;
    }
  }

 private:
  std::shared_ptr<TBackgroundJob> job_;
  bool done_ = false;
  std::exception_ptr error_;
};

void TQueue::Run() {
  std::unique_lock lock(mutex);
  for (;;) {
    changed.wait(lock, [&] { return closed || !waiting.empty(); });
    if (closed) return;
    TQueuedWork* work = waiting.front();
    slicing = work;
    lock.unlock();
    const auto slice = work->Slice();
    lock.lock();
    slicing = nullptr;
    // Stop or Finish may have taken the work off the queue meanwhile.
    if (slice == TBackgroundJob::Slice::kDone && !waiting.empty() && waiting.front() == work) waiting.pop_front();
    changed.notify_all();
  }
}

}  // namespace

std::shared_ptr<TBackgroundWork> RunInBackground(std::shared_ptr<TBackgroundJob> job) {
  auto work = std::make_shared<TQueuedWork>(std::move(job));
  work->Start();
  return work;
}

bool FileArriving(const std::string&) { return false; }

bool BackgroundWorkPending() {
  TQueue& queue = Queue();
  std::lock_guard lock(queue.mutex);
  return !queue.waiting.empty() || queue.slicing;
}
