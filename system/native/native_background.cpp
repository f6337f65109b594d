// Background work on Linux and Windows: a thread of its own per job, doing
// its slices one after another. Every file is there from the start.
#include <atomic>
#include <chrono>
#include <exception>
#include <future>
#include <thread>

#include "system/background.h"

namespace {

class TThreadWork : public TBackgroundWork {
 public:
  explicit TThreadWork(std::shared_ptr<TBackgroundJob> job) : job_(std::move(job)) {
    thread_ = std::async(std::launch::async, [this] {
      while (!stop_ && !done_) Slice();
    });
  }
  ~TThreadWork() override { Stop(); }

  void Finish() override {
    // The thread does the slices flat out, so waiting for it is the quickest way.
    if (thread_.valid()) thread_.get();
    while (!done_) Slice();
    if (error_) std::rethrow_exception(error_);
  }
  void Stop() override {
    stop_ = true;
    if (thread_.valid()) thread_.wait();
  }

 private:
  void Slice() {
    try {
      switch (job_->Step()) {
        case TBackgroundJob::Slice::kDone:
          done_ = true;
          break;
        case TBackgroundJob::Slice::kWaiting:
          std::this_thread::sleep_for(std::chrono::milliseconds(1));
          break;
        case TBackgroundJob::Slice::kMore:
          break;
      }
    } catch (...) {
      error_ = std::current_exception();
      done_ = true;
    }
  }

  std::shared_ptr<TBackgroundJob> job_;
  std::atomic<bool> stop_{false};
  // Written by the thread, read by others only once it has ended.
  bool done_ = false;
  std::exception_ptr error_;
  std::future<void> thread_;
};

}  // namespace

std::shared_ptr<TBackgroundWork> RunInBackground(std::shared_ptr<TBackgroundJob> job) {
  return std::make_shared<TThreadWork>(std::move(job));
}

bool FileArriving(const std::string&) { return false; }
