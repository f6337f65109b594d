// Background work in the browser, which gives the game no threads: the
// slices run in the page's idle time (requestIdleCallback; where the browser
// has none, a few milliseconds after each frame), so that they take no time
// from a frame. Waiting for a job that is not done (Finish) does the rest
// there and then, handing the thread back to the browser (asyncify) only
// while the job waits for a file.
//
// The late files: the build leaves the largest files out of the data the
// page loads before the game starts and lists them in Module.lateFiles. They
// are fetched into the game's file system when the background work first
// runs, in the idle time after the first frame, or when something waits for
// it before then. One that cannot be fetched is a file that is not there. When the last job is done the page is told by a
// performance mark, "gloomfall: background work done".
#include <emscripten.h>

#include <algorithm>
#include <exception>
#include <vector>

#include "system/background.h"
#include "system/clock.h"

namespace {

void Ended();
void FetchLateFiles();

class TIdleWork : public TBackgroundWork {
 public:
  explicit TIdleWork(std::shared_ptr<TBackgroundJob> job) : job_(std::move(job)) {}
  ~TIdleWork() override { Stop(); }

  void Finish() override {
    FetchLateFiles();
    while (!done_) {
      if (Slice() == TBackgroundJob::Slice::kWaiting) Delay(2);
    }
    if (error_) std::rethrow_exception(error_);
  }
  void Stop() override {
    if (!Queued()) return;
    stopped_ = true;
    Ended();
  }
  bool Queued() const { return !done_ && !stopped_; }

  TBackgroundJob::Slice Slice() {
    if (done_) return TBackgroundJob::Slice::kDone;
    TBackgroundJob::Slice slice = TBackgroundJob::Slice::kDone;
    try {
      slice = job_->Step();
    } catch (...) {
      error_ = std::current_exception();
    }
    if (slice == TBackgroundJob::Slice::kDone) {
      done_ = true;
      Ended();
    }
    return slice;
  }

 private:
  std::shared_ptr<TBackgroundJob> job_;
  bool done_ = false;
  bool stopped_ = false;
  std::exception_ptr error_;
};

std::vector<std::weak_ptr<TIdleWork>>& Queue() {
  static auto* queue = new std::vector<std::weak_ptr<TIdleWork>>();
  return *queue;
}

// clang-format off
EM_JS(void, WebAskForIdleTime, (), {
  if (Module.gloomfallIdleAsked) return;
  Module.gloomfallIdleAsked = true;
  function run(ms) {
    Module.gloomfallIdleAsked = false;
    callUserCallback(function() { _WebRunBackgroundSlices(ms); });
  }
  // A few milliseconds at most even when the browser offers more: where the
  // browser draws WebGL on the CPU, the frame being drawn wants the rest.
  if (typeof requestIdleCallback === "function") {
    requestIdleCallback(function(deadline) { run(Math.min(deadline.timeRemaining() - 1, 4)); });
  } else {
    setTimeout(function() { run(4); }, 4);
  }
});

EM_JS(void, WebBackgroundDone, (), {
  if (typeof performance.mark === "function") performance.mark("gloomfall: background work done");
});

EM_JS(int, WebFileArriving, (const char* path, int start), {
  var late = Module.gloomfallLate;
  if (!late) {
    late = Module.gloomfallLate = {};
    (Module.lateFiles || []).forEach(function(name) { late[name] = "late"; });
  }
  if (start) {
    Object.keys(late).forEach(function(name) {
      if (late[name] !== "late") return;
      late[name] = "coming";
      var gone = function() { late[name] = "gone"; };
      fetch(locateFile(name)).then(function(response) {
        if (!response.ok) throw new Error(response.status);
        return response.arrayBuffer();
      }).then(function(bytes) {
        try {
          FS.writeFile("/" + name, new Uint8Array(bytes));
          late[name] = "here";
        } catch (e) {
          gone();
        }
      }, gone);
    });
  }
  var name = UTF8ToString(path);
  if (name.charAt(0) === "/") name = name.substring(1);
  return late[name] === "late" || late[name] === "coming" ? 1 : 0;
});
// clang-format on

// The background work first runs after the first frame, and a wait for it
// cannot wait for a file that is not coming.
void FetchLateFiles() { WebFileArriving("", 1); }

void Ended() {
  if (!BackgroundWorkPending()) WebBackgroundDone();
}

}  // namespace

// The slices of every queued job in turn, for as long as the page's idle
// time lasts; at least one slice, so the work moves on even on a page that
// is never idle for long.
extern "C" EMSCRIPTEN_KEEPALIVE void WebRunBackgroundSlices(double ms) {
  FetchLateFiles();
  auto& queue = Queue();
  const double end = emscripten_get_now() + ms;
  bool moved = true;
  while (moved) {
    moved = false;
    for (size_t i = 0; i < queue.size(); ++i) {
      auto work = queue[i].lock();
      if (work && work->Queued() && work->Slice() == TBackgroundJob::Slice::kMore) moved = true;
      if (emscripten_get_now() >= end) {
        moved = false;
        break;
      }
    }
  }
  std::erase_if(queue, [](const auto& entry) {
    auto work = entry.lock();
    return !work || !work->Queued();
  });
  if (!queue.empty()) WebAskForIdleTime();
}

std::shared_ptr<TBackgroundWork> RunInBackground(std::shared_ptr<TBackgroundJob> job) {
  auto work = std::make_shared<TIdleWork>(std::move(job));
  Queue().push_back(work);
  WebAskForIdleTime();
  return work;
}

bool FileArriving(const std::string& path) { return WebFileArriving(path.c_str(), 0) != 0; }

bool BackgroundWorkPending() {
  const auto& queue = Queue();
  return std::any_of(queue.begin(), queue.end(), [](const auto& entry) {
    auto work = entry.lock();
    return work && work->Queued();
  });
}
