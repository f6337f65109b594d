// Run-time errors and the process's last line of defence: the terminate
// handler for errors nothing caught and the signal handlers for faults.
#include "system/runtime_error.h"

#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <unistd.h>

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

// write() may return early (a pipe, a signal); keep going until all is out.
void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    ssize_t n = write(fd, data, size);
    if (n <= 0) return;
    data += n;
    size -= static_cast<size_t>(n);
  }
}

size_t Length(const char* text) {
  size_t n = 0;
  while (text[n]) ++n;
  return n;
}

// Async-signal-safe: builds "signal!:N\n" on the stack, no stdio, no heap.
void OnProcessSignal(int sig) {
  char line[32] = "signal!:";
  size_t n = 8;
  char digits[12];
  size_t d = 0;
  unsigned value = static_cast<unsigned>(sig);
  do {
    digits[d++] = static_cast<char>('0' + value % 10);
    value /= 10;
  } while (value && d < sizeof(digits));
  while (d) line[n++] = digits[--d];
  line[n++] = '\n';
  WriteAll(STDOUT_FILENO, line, n);
  static const char kMessage[] = "Received Signal";
  WriteAll(STDERR_FILENO, kMessage, Length(kMessage));
  _exit(255);
}

void OnMemoryFault(int) {
  static const char kMessage[] = "Unhandled Memory Exception Error";
  WriteAll(STDERR_FILENO, kMessage, Length(kMessage));
  _exit(255);
}

void OnTerminate() { ExitWithUncaughtError(std::current_exception()); }

void Install(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // A second fault inside the handler must not re-enter it.
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigaction(sig, &action, nullptr);
}

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
  Install(SIGILL, OnProcessSignal);
  Install(SIGSEGV, OnProcessSignal);
  Install(SIGABRT, OnProcessSignal);
  Install(SIGTERM, OnProcessSignal);
  Install(SIGBUS, OnMemoryFault);
  Install(SIGFPE, OnMemoryFault);
}
