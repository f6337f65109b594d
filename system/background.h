// Work that need not hold up the frame: start-up hands it over and takes the
// result when it is first needed. The work is done a slice at a time: where
// the platform has threads one worker thread takes the jobs in the order
// they were started and does each one's slices until it is done; in the
// browser, which gives the game none, they run in the page's idle time
// between frames, so that no frame waits for them (system/native/,
// system/web/).
#pragma once
#include <memory>
#include <string>

// One piece of work, done in slices.
class TBackgroundJob {
 public:
  enum class Slice {
    kMore,     // there is more to do
    kDone,     // all of it is done
    kWaiting,  // nothing was done: the work waits for something from outside
  };
  virtual ~TBackgroundJob() = default;
  // Does a small part of the work: a millisecond or two of it at most.
  virtual Slice Step() = 0;
};

// What RunInBackground gives back. Dropping it drops the work.
class TBackgroundWork {
 public:
  virtual ~TBackgroundWork() = default;
  // Returns once the job is done: what is left of it is done at once, on
  // the caller's thread where it is not already being done elsewhere. An
  // exception a slice raised comes out here.
  virtual void Finish() = 0;
  // No more slices are done in the background (the one under way ends
  // first); Finish still does the rest.
  virtual void Stop() = 0;
};

std::shared_ptr<TBackgroundWork> RunInBackground(std::shared_ptr<TBackgroundJob> job);

// Whether any work started is still waiting for its slices or under way.
bool BackgroundWorkPending();

// Whether a file the platform delivers after start-up is still on its way:
// in the browser the page fetches the largest files once the first frame is
// shown (or at once, when something waits for one). Not for a file that has
// arrived, failed to, or was never late; a job that would read the file
// waits meanwhile.
bool FileArriving(const std::string& path);
