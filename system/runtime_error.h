// Run-time errors: the root object class, the error classes with their fixed
// messages, RuntimeError(), and what happens to an error nothing catches
// (its message on standard error, exit status 255). Process faults are turned
// into the same visible outcome by async-signal-safe handlers.
// Leans on nothing but the C++ runtime and POSIX signals.
#pragma once
#include <exception>
#include <string>

// The root of every object the media layer stores without knowing its class
// (list elements, thrown errors, streams). Held by std::shared_ptr.
class TObject {
 public:
  virtual ~TObject() = default;
  virtual std::string ToString() const;
  // Ordering used by lists: 0 means equal. The default orders by identity,
  // so two distinct objects never compare equal.
  virtual int Compare(const TObject& other) const;
};

// Common base of every run-time error; handlers may catch it or any subclass.
// It is also a std::exception so generic C++ handlers see the message.
class TException : public TObject, public std::exception {
 public:
  std::string ToString() const override = 0;
  const char* what() const noexcept override;

 private:
  mutable std::string what_;
};

// An error whose message never changes; the classes below only name it.
class TFixedMessageException : public TException {
 public:
  explicit TFixedMessageException(const char* message) : message_(message) {}
  std::string ToString() const override { return message_; }

 private:
  const char* message_;
};

class TNullObjectException : public TFixedMessageException {
 public:
  TNullObjectException() : TFixedMessageException("Attempt to access field or method of Null object") {}
};

class TNullMethodException : public TFixedMessageException {
 public:
  TNullMethodException() : TFixedMessageException("Attempt to call abstract method") {}
};

class TNullFunctionException : public TFixedMessageException {
 public:
  TNullFunctionException() : TFixedMessageException("Attempt to call uninitialized function pointer") {}
};

class TArrayBoundsException : public TFixedMessageException {
 public:
  TArrayBoundsException() : TFixedMessageException("Attempt to index array element beyond array length") {}
};

class TOutOfDataException : public TFixedMessageException {
 public:
  TOutOfDataException() : TFixedMessageException("Attempt to read beyond end of data") {}
};

// The error raised by RuntimeError(); `error` is the message it was given.
class TRuntimeException : public TException {
 public:
  explicit TRuntimeException(std::string message) : error(std::move(message)) {}
  std::string ToString() const override { return error; }

  std::string error;
};

// Stream failures, caught as a group by the loaders.
class TStreamException : public TFixedMessageException {
 protected:
  using TFixedMessageException::TFixedMessageException;
};

class TStreamReadException : public TStreamException {
 public:
  TStreamReadException() : TStreamException("Error reading from stream") {}
};

class TStreamWriteException : public TStreamException {
 public:
  TStreamWriteException() : TStreamException("Error writing to stream") {}
};

// Raises a TRuntimeException carrying the message; never returns.
[[noreturn]] void RuntimeError(const std::string& message);

// The message an uncaught exception would print: ToString() of our errors,
// the string itself for a thrown std::string or C string, what() of any other
// std::exception, and "Unknown exception" for anything else.
std::string ExceptionMessage(std::exception_ptr error);

// Writes the message of an error nothing caught to standard error (no newline
// is added), flushes, and ends the process with status 255 (exit code -1).
[[noreturn]] void ExitWithUncaughtError(std::exception_ptr error);

// Installed once by the program entry before anything else runs:
//  - an uncaught exception ends the process through ExitWithUncaughtError;
//  - SIGILL, SIGSEGV, SIGABRT and SIGTERM print "signal!:N\n" on standard
//    output and "Received Signal" on standard error, then exit with 255;
//  - SIGBUS and SIGFPE (the faults other systems hand to a last-chance filter)
//    print "Unhandled Memory Exception Error" on standard error and exit 255.
// The signal handlers only call write() and _exit(): throwing from a signal
// handler is undefined behaviour. Calling it again is harmless.
void InstallRuntimeErrorHandlers();

// The signal handlers alone (fault_handlers.cpp, one per platform; Windows has
// no SIGBUS).
void InstallFaultHandlers();
