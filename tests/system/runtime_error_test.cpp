// Run-time errors: exact messages, catching by class, and what an uncaught
// error or a process fault does to a child process (output and exit status).
#include "system/runtime_error.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <cstdlib>
#include <functional>

namespace {

struct ChildResult {
  std::string out;
  std::string err;
  int status = -1;  // exit status, or -1 if the child did not exit normally
};

std::string Drain(int fd) {
  std::string text;
  char buffer[256];
  ssize_t n;
  while ((n = read(fd, buffer, sizeof(buffer))) > 0) text.append(buffer, static_cast<size_t>(n));
  close(fd);
  return text;
}

// The test framework catches everything a test throws; in the child the
// error must escape as it would from main, so nothing may catch it.
void RunUncaught(const std::function<void()>& body) noexcept { body(); }

// Runs body in a forked child with the program's handlers installed, as the
// program entry does, and captures both output streams.
ChildResult RunChild(const std::function<void()>& body) {
  int out[2], err[2];
  if (pipe(out) != 0 || pipe(err) != 0) return {};
  std::fflush(nullptr);
  pid_t pid = fork();
  if (pid == 0) {
    dup2(out[1], STDOUT_FILENO);
    dup2(err[1], STDERR_FILENO);
    close(out[0]);
    close(err[0]);
    close(out[1]);
    close(err[1]);
    InstallRuntimeErrorHandlers();
    RunUncaught(body);
    std::fflush(nullptr);
    _exit(0);
  }
  close(out[1]);
  close(err[1]);
  ChildResult result;
  result.out = Drain(out[0]);
  result.err = Drain(err[0]);
  int status = 0;
  waitpid(pid, &status, 0);
  result.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

template <typename E>
std::string MessageOf() {
  return E().ToString();
}

}  // namespace

TEST(RuntimeErrors, EachClassCarriesItsFixedMessage) {
  EXPECT_EQ(MessageOf<TNullObjectException>(), "Attempt to access field or method of Null object");
  EXPECT_EQ(MessageOf<TNullMethodException>(), "Attempt to call abstract method");
  EXPECT_EQ(MessageOf<TNullFunctionException>(), "Attempt to call uninitialized function pointer");
  EXPECT_EQ(MessageOf<TArrayBoundsException>(), "Attempt to index array element beyond array length");
  EXPECT_EQ(MessageOf<TOutOfDataException>(), "Attempt to read beyond end of data");
  EXPECT_EQ(MessageOf<TStreamReadException>(), "Error reading from stream");
  EXPECT_EQ(MessageOf<TStreamWriteException>(), "Error writing to stream");
  EXPECT_STREQ(TStreamReadException().what(), "Error reading from stream");
}

TEST(RuntimeErrors, RuntimeErrorRaisesItsMessageAndHandlersSelectByClass) {
  try {
    RuntimeError("List index out of range");
    FAIL();
  } catch (const TStreamException&) {
    FAIL() << "a plain run-time error is not a stream error";
  } catch (const TRuntimeException& e) {
    EXPECT_EQ(e.error, "List index out of range");
    EXPECT_EQ(e.ToString(), "List index out of range");
    EXPECT_STREQ(e.what(), "List index out of range");
  }
  int caught_as_stream = 0;
  for (int i = 0; i < 2; ++i) {
    try {
      if (i == 0) throw TStreamReadException();
      throw TStreamWriteException();
    } catch (const TStreamException&) {
      ++caught_as_stream;
    }
  }
  EXPECT_EQ(caught_as_stream, 2);
}

TEST(RuntimeErrors, MessageOfAnyThrownThing) {
  auto message_of = [](auto thrown) {
    try {
      throw thrown;
    } catch (...) {
      return ExceptionMessage(std::current_exception());
    }
  };
  EXPECT_EQ(message_of(TRuntimeException("boom")), "boom");
  EXPECT_EQ(message_of(std::string("Stream is not seekable")), "Stream is not seekable");
  EXPECT_EQ(message_of("a C string"), "a C string");
  EXPECT_EQ(message_of(std::runtime_error("std")), "std");
  EXPECT_EQ(message_of(42), "Unknown exception");
}

TEST(UncaughtErrors, RuntimeErrorPrintsExactlyItsMessageAndExits255) {
  ChildResult r = RunChild([] { RuntimeError("Unable to calculate tex size"); });
  EXPECT_EQ(r.err, "Unable to calculate tex size");
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.status, 255);
}

TEST(UncaughtErrors, OtherClassesAndStringsUseTheirOwnMessage) {
  ChildResult r = RunChild([] { throw TStreamReadException(); });
  EXPECT_EQ(r.err, "Error reading from stream");
  EXPECT_EQ(r.status, 255);
  r = RunChild([] { throw std::string("Too many hook ids"); });
  EXPECT_EQ(r.err, "Too many hook ids");
  EXPECT_EQ(r.status, 255);
}

TEST(UncaughtErrors, OutputWrittenBeforeTheErrorIsKept) {
  ChildResult r = RunChild([] {
    std::printf("before");
    RuntimeError("after");
  });
  EXPECT_EQ(r.out, "before");
  EXPECT_EQ(r.err, "after");
  EXPECT_EQ(r.status, 255);
}

TEST(UncaughtErrors, CaughtErrorsDoNotEndTheProcess) {
  ChildResult r = RunChild([] {
    try {
      RuntimeError("handled");
    } catch (const TException&) {
    }
  });
  EXPECT_EQ(r.err, "");
  EXPECT_EQ(r.status, 0);
}

TEST(ProcessSignals, SegmentationFaultPrintsSignalNumberAndExits255) {
  ChildResult r = RunChild([] {
    // A real invalid access, not a raised signal: address 16 is never mapped.
    volatile uintptr_t address = 16;
    *reinterpret_cast<volatile int*>(address) = 1;
  });
  EXPECT_EQ(r.out, "signal!:11\n");
  EXPECT_EQ(r.err, "Received Signal");
  EXPECT_EQ(r.status, 255);
}

TEST(ProcessSignals, AbortIllegalInstructionAndTerminationAreHandledAlike) {
  for (int sig : {SIGABRT, SIGILL, SIGTERM}) {
    ChildResult r = RunChild([sig] { raise(sig); });
    EXPECT_EQ(r.out, "signal!:" + std::to_string(sig) + "\n");
    EXPECT_EQ(r.err, "Received Signal");
    EXPECT_EQ(r.status, 255);
  }
  ChildResult r = RunChild([] { std::abort(); });
  EXPECT_EQ(r.out, "signal!:6\n");
  EXPECT_EQ(r.status, 255);
}

TEST(ProcessSignals, BusAndArithmeticFaultsEndAsUnhandledMemoryException) {
  for (int sig : {SIGBUS, SIGFPE}) {
    ChildResult r = RunChild([sig] { raise(sig); });
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(r.err, "Unhandled Memory Exception Error");
    EXPECT_EQ(r.status, 255);
  }
}
