// Background work in the browser, which gives the game no threads: the job
// runs at once, and its result is ready when the call returns.
#include "system/background.h"

std::future<std::shared_ptr<TObject>> RunInBackground(std::function<std::shared_ptr<TObject>()> work) {
  std::promise<std::shared_ptr<TObject>> done;
  try {
    done.set_value(work());
  } catch (...) {
    done.set_exception(std::current_exception());
  }
  return done.get_future();
}
