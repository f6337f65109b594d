// Work that need not hold up the frame: start-up hands it over and takes the
// result when it is first needed. Where the platform has threads the work
// runs on one of its own; elsewhere (the browser) it runs at once, inside
// the call, as if it had been done in place (system/native/, system/web/).
#pragma once
#include <functional>
#include <future>
#include <memory>

#include "system/runtime_error.h"  // TObject

std::future<std::shared_ptr<TObject>> RunInBackground(std::function<std::shared_ptr<TObject>()> work);
