// Byte streams: the abstract TIO/TStream interface every loader reads
// through, the file stream TCStream, an in-memory stream, the factory chain
// for "protocol::path" urls, and OpenStream/ReadStream/WriteStream.
// Leans on runtime_error.h for the errors streams raise.
#pragma once
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "system/registry.h"
#include "system/runtime_error.h"

// The abstract byte stream. Each operation has a usable default so a
// subclass overrides only what it supports. A subclass that holds a
// resource must call its own Close() from its destructor (a base destructor
// cannot reach the subclass's override).
class TIO : public TObject {
 public:
  ~TIO() override;
  // 1 at the end of the stream: Pos() equals Size().
  virtual int Eof();
  // Current byte position; -1 when the stream has none.
  virtual int Pos();
  // Length in bytes; 0 when unknown.
  virtual int Size();
  // Moves to an absolute position and returns the new one; -1 if unseekable.
  virtual int Seek(int pos);
  virtual int Flush();
  virtual int Close();
  // Reads up to count bytes; returns how many, 0 when none could be read.
  // The default raises "Stream is not readable".
  virtual int Read(void* buffer, int count);
  // Writes up to count bytes; returns how many. The default raises
  // "Stream is not writeable".
  virtual int Write(const void* buffer, int count);
};

// Typed reading and writing over Read/Write, little-endian (the machine's
// own order). Reads past the end give zeros instead of errors.
class TStream : public TIO {
 public:
  // Fills the buffer until count bytes or the end of the stream; a Read of 0
  // before the end raises TStreamReadException. Always returns count.
  virtual int ReadBytes(void* buffer, int count);
  // Writes all count bytes; a Write of 0 raises TStreamWriteException.
  virtual int WriteBytes(const void* buffer, int count);
  // Reads and discards count bytes (stops early at the end). Returns count.
  virtual int SkipBytes(int count);
  virtual int ReadByte();    // 0 to 255
  virtual void WriteByte(int value);
  virtual int ReadShort();   // 0 to 65535
  virtual void WriteShort(int value);
  virtual int32_t ReadInt();
  virtual void WriteInt(int32_t value);
  virtual int64_t ReadLong();
  virtual void WriteLong(int64_t value);
  virtual float ReadFloat();
  virtual void WriteFloat(float value);
  virtual double ReadDouble();
  virtual void WriteDouble(double value);
  // Bytes up to a line feed, a zero byte or the end; carriage returns are
  // dropped and the terminator is consumed but not returned.
  virtual std::string ReadLine();
  // The string's bytes, then CR LF; 1 when everything was written.
  virtual int WriteLine(const std::string& line);
  virtual std::string ReadString(int length);
  virtual void WriteString(const std::string& text);
  // Object serialisation is not supported: both raise a run-time error.
  virtual std::shared_ptr<TObject> ReadObject();
  virtual void WriteObject(const std::shared_ptr<TObject>& object);
};

// Passes every operation to another stream (OpenStream on a stream).
class TStreamWrapper : public TStream {
 public:
  explicit TStreamWrapper(std::shared_ptr<TStream> stream) : _stream(std::move(stream)) {}
  ~TStreamWrapper() override;
  int Eof() override;
  int Pos() override;
  int Size() override;
  int Seek(int pos) override;
  int Flush() override;
  int Close() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;

  std::shared_ptr<TStream> _stream;
};

constexpr int MODE_READ = 1;
constexpr int MODE_WRITE = 2;

// A stream over an open C file. Position and size are tracked here rather
// than asked of the file each time.
class TCStream : public TStream {
 public:
  ~TCStream() override;
  int Pos() override;
  int Size() override;
  int Seek(int pos) override;
  int Flush() override;
  int Close() override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;

  // Opens a file: "r+b" when readable and writeable, "wb" when only
  // writeable, "rb" otherwise. Backslashes in the path become slashes.
  // Returns none, silently, when the file cannot be opened.
  static std::shared_ptr<TCStream> OpenFile(const std::string& path, int readable, int writeable);
  // Takes ownership of an open file; the stream closes it.
  static std::shared_ptr<TCStream> CreateWithCStream(std::FILE* file, int mode);

  int _pos = 0;
  int _size = 0;
  std::FILE* _cstream = nullptr;
  int _mode = 0;

 private:
  // C streams need a seek between a read and a following write (and back).
  enum class LastOp { kNone, kRead, kWrite };
  LastOp last_op_ = LastOp::kNone;
};

// A seekable stream over bytes held in memory; writes grow the buffer.
// Used for data that is not a file (fuzz inputs, embedded data).
class TMemoryStream : public TStream {
 public:
  explicit TMemoryStream(std::vector<uint8_t> bytes) : _bytes(std::move(bytes)) {}
  int Pos() override;
  int Size() override;
  int Seek(int pos) override;
  int Read(void* buffer, int count) override;
  int Write(const void* buffer, int count) override;

  std::vector<uint8_t> _bytes;
  int _pos = 0;
};

// A memory stream over a copy of the bytes.
std::shared_ptr<TMemoryStream> CreateMemoryStream(const void* data, size_t size);
std::shared_ptr<TMemoryStream> CreateMemoryStream(std::vector<uint8_t> bytes);

// Serves "protocol::path" urls. Each factory links itself in front of the
// program-wide chain when constructed (and unlinks itself when destroyed),
// so the newest factory is asked first.
class TStreamFactory : public TRegistered<TStreamFactory> {
 public:
  virtual ~TStreamFactory() = default;

  // Returns a stream for the url, or none to let the next factory try.
  virtual std::shared_ptr<TStream> CreateStream(const std::string& url, const std::string& protocol,
                                                const std::string& path, int readable,
                                                int writeable) = 0;
};

// Resolves a url into a stream, or none:
//  - a stream: a new wrapper over it;
//  - a string with "::": protocol (lower-cased) and path go to the factories;
//  - an empty string: the factories, with empty protocol and path;
//  - any other string: a file, through TCStream::OpenFile.
std::shared_ptr<TStream> OpenStream(const std::string& url, int readable, int writeable);
std::shared_ptr<TStream> OpenStream(const char* url, int readable, int writeable);
// A stream gets a wrapper; any other object counts as the empty string.
std::shared_ptr<TStream> OpenStream(const std::shared_ptr<TObject>& url, int readable, int writeable);

// OpenStream(url, 1, 0) and OpenStream(url, 0, 1).
std::shared_ptr<TStream> ReadStream(const std::string& url);
std::shared_ptr<TStream> ReadStream(const char* url);
std::shared_ptr<TStream> ReadStream(const std::shared_ptr<TObject>& url);
std::shared_ptr<TStream> WriteStream(const std::string& url);
std::shared_ptr<TStream> WriteStream(const char* url);
std::shared_ptr<TStream> WriteStream(const std::shared_ptr<TObject>& url);
