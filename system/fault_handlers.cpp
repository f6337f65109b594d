// The signal handlers for faults, the process's last line of defence. A
// platform file: POSIX installs them with sigaction and writes with write();
// Windows has only the C runtime's signal() (which, like SA_RESETHAND, puts
// the default back before calling a handler), no SIGBUS, and _write().
// Handlers only write and _exit: nothing else is safe inside a signal handler.
#include "system/runtime_error.h"

#include <csignal>
#include <cstddef>

#ifdef _WIN32
#include <io.h>
#include <stdlib.h>
#else
#include <unistd.h>
#endif

namespace {

#ifdef _WIN32
constexpr int kStdout = 1;
constexpr int kStderr = 2;
int WriteSome(int fd, const char* data, size_t size) {
  return _write(fd, data, static_cast<unsigned>(size));
}
#else
constexpr int kStdout = STDOUT_FILENO;
constexpr int kStderr = STDERR_FILENO;
int WriteSome(int fd, const char* data, size_t size) {
  return static_cast<int>(write(fd, data, size));
}
#endif

// A write may return early (a pipe, a signal); keep going until all is out.
// A GUI program on Windows may have no standard streams at all: then the
// write fails and the line is lost, which is all it can be.
void WriteAll(int fd, const char* data, size_t size) {
  while (size > 0) {
    int n = WriteSome(fd, data, size);
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
  WriteAll(kStdout, line, n);
  static const char kMessage[] = "Received Signal";
  WriteAll(kStderr, kMessage, Length(kMessage));
  _exit(255);
}

void OnMemoryFault(int) {
  static const char kMessage[] = "Unhandled Memory Exception Error";
  WriteAll(kStderr, kMessage, Length(kMessage));
  _exit(255);
}

#ifdef _WIN32
void Install(int sig, void (*handler)(int)) { std::signal(sig, handler); }
#else
void Install(int sig, void (*handler)(int)) {
  struct sigaction action {};
  action.sa_handler = handler;
  sigemptyset(&action.sa_mask);
  // A second fault inside the handler must not re-enter it.
  action.sa_flags = SA_RESETHAND | SA_NODEFER;
  sigaction(sig, &action, nullptr);
}
#endif

}  // namespace

void InstallFaultHandlers() {
  Install(SIGILL, OnProcessSignal);
  Install(SIGSEGV, OnProcessSignal);
  Install(SIGABRT, OnProcessSignal);
  Install(SIGTERM, OnProcessSignal);
#ifdef SIGBUS
  Install(SIGBUS, OnMemoryFault);
#endif
  Install(SIGFPE, OnMemoryFault);
}
