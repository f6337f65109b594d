// Background work on Linux and Windows: a thread of its own per job.
#include "system/background.h"

std::future<std::shared_ptr<TObject>> RunInBackground(std::function<std::shared_ptr<TObject>()> work) {
  return std::async(std::launch::async, std::move(work));
}
