// Run-time errors and the process's last line of defence: the terminate
// handler for errors nothing caught. The signal handlers for faults are
// platform code (fault_handlers.cpp).
#include "system/runtime_error.h"

#include <cstdio>
#include <cstdlib>
#include <functional>

std::string TObject::ToString() const { return std::string(); }

int TObject::Compare(const TObject& other) const {
  // std::less gives a total order on pointers even across unrelated objects.
  if (this == &other) return 0;
  return std::less<const TObject*>()(this, &other) ? -1 : 1;
}

const char* TException::what() const noexcept {
  try {
    what_ = ToString();
  } catch (...) {
    return "run-time error";
  }
  return what_.c_str();
}

void RuntimeError(const std::string& message) { throw TRuntimeException(message); }

std::string ExceptionMessage(std::exception_ptr error) {
  if (!error) return "Unknown exception";
  try {
    std::rethrow_exception(error);
  } catch (const TObject& object) {
    return object.ToString();
  } catch (const std::string& text) {
    return text;
  } catch (const char* text) {
    return text ? text : "";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "Unknown exception";
  }
}

namespace {
void OnTerminate() { ExitWithUncaughtError(std::current_exception()); }
}  // namespace

void ExitWithUncaughtError(std::exception_ptr error) {
  std::string message = ExceptionMessage(error);
  std::fflush(stdout);
  std::fwrite(message.data(), 1, message.size(), stderr);
  std::fflush(stderr);
  // No static destructors: the program is in an unknown state.
  std::_Exit(-1);
}

void InstallRuntimeErrorHandlers() {
  std::set_terminate(OnTerminate);
  InstallFaultHandlers();
}
