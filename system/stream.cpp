// Streams over files and memory, the typed read/write helpers, and the url
// resolution that turns the game's asset paths into open streams.
#include "system/stream.h"

#include <sys/stat.h>

#include <algorithm>
#include <climits>
#include <cstring>

// ---------------------------------------------------------------- TIO

TIO::~TIO() = default;

int TIO::Eof() { return Pos() == Size() ? 1 : 0; }
int TIO::Pos() { return -1; }
int TIO::Size() { return 0; }
int TIO::Seek(int) { return -1; }
int TIO::Flush() { return 0; }
int TIO::Close() { return 0; }
int TIO::Read(void*, int) { RuntimeError("Stream is not readable"); }
int TIO::Write(const void*, int) { RuntimeError("Stream is not writeable"); }

// ---------------------------------------------------------------- TStream

int TStream::ReadBytes(void* buffer, int count) {
  auto* at = static_cast<uint8_t*>(buffer);
  int left = count;
  // Reaching the end early is not an error: the caller's buffer keeps what
  // it held, which is why the typed reads start from zeroed values.
  while (left > 0 && !Eof()) {
    int n = Read(at, left);
    if (n <= 0) throw TStreamReadException();
    n = std::min(n, left);
    at += n;
    left -= n;
  }
  return count;
}

int TStream::WriteBytes(const void* buffer, int count) {
  const auto* at = static_cast<const uint8_t*>(buffer);
  int left = count;
  while (left > 0) {
    int n = Write(at, left);
    if (n <= 0) throw TStreamWriteException();
    n = std::min(n, left);
    at += n;
    left -= n;
  }
  return count;
}

int TStream::SkipBytes(int count) {
  uint8_t scratch[1024];
  int left = count;
  while (left > 0 && !Eof()) {
    int n = Read(scratch, std::min(left, static_cast<int>(sizeof(scratch))));
    if (n <= 0) throw TStreamReadException();
    left -= n;
  }
  return count;
}

namespace {
template <typename T>
T ReadValue(TStream& stream) {
  T value{};
  stream.ReadBytes(&value, sizeof(value));
  return value;
}
template <typename T>
void WriteValue(TStream& stream, T value) {
  stream.WriteBytes(&value, sizeof(value));
}
}  // namespace

int TStream::ReadByte() { return ReadValue<uint8_t>(*this); }
void TStream::WriteByte(int value) { WriteValue(*this, static_cast<uint8_t>(value)); }
int TStream::ReadShort() { return ReadValue<uint16_t>(*this); }
void TStream::WriteShort(int value) { WriteValue(*this, static_cast<uint16_t>(value)); }
int32_t TStream::ReadInt() { return ReadValue<int32_t>(*this); }
void TStream::WriteInt(int32_t value) { WriteValue(*this, value); }
int64_t TStream::ReadLong() { return ReadValue<int64_t>(*this); }
void TStream::WriteLong(int64_t value) { WriteValue(*this, value); }
float TStream::ReadFloat() { return ReadValue<float>(*this); }
void TStream::WriteFloat(float value) { WriteValue(*this, value); }
double TStream::ReadDouble() { return ReadValue<double>(*this); }
void TStream::WriteDouble(double value) { WriteValue(*this, value); }

std::string TStream::ReadLine() {
  std::string line;
  char c = 0;
  while (Read(&c, 1) == 1) {
    if (c == 0 || c == '\n') break;
    if (c != '\r') line.push_back(c);
  }
  return line;
}

int TStream::WriteLine(const std::string& line) {
  WriteString(line);
  WriteBytes("\r\n", 2);
  return 1;
}

std::string TStream::ReadString(int length) {
  if (length <= 0) return std::string();
  std::string text(static_cast<size_t>(length), '\0');
  ReadBytes(text.data(), length);
  return text;
}

void TStream::WriteString(const std::string& text) {
  if (text.size() > static_cast<size_t>(INT_MAX)) throw TStreamWriteException();
  WriteBytes(text.data(), static_cast<int>(text.size()));
}

std::shared_ptr<TObject> TStream::ReadObject() { RuntimeError("Unable to read object"); }
void TStream::WriteObject(const std::shared_ptr<TObject>&) { RuntimeError("Unable to write object"); }

// ---------------------------------------------------------------- TStreamWrapper

TStreamWrapper::~TStreamWrapper() { Close(); }
int TStreamWrapper::Eof() { return _stream->Eof(); }
int TStreamWrapper::Pos() { return _stream->Pos(); }
int TStreamWrapper::Size() { return _stream->Size(); }
int TStreamWrapper::Seek(int pos) { return _stream->Seek(pos); }
int TStreamWrapper::Flush() { return _stream->Flush(); }
int TStreamWrapper::Close() { return _stream->Close(); }
int TStreamWrapper::Read(void* buffer, int count) { return _stream->Read(buffer, count); }
int TStreamWrapper::Write(const void* buffer, int count) { return _stream->Write(buffer, count); }

// ---------------------------------------------------------------- TCStream

namespace {
int ClampToInt(long value) { return value > INT_MAX ? INT_MAX : static_cast<int>(value); }
}  // namespace

TCStream::~TCStream() { Close(); }
int TCStream::Pos() { return _pos; }
int TCStream::Size() { return _size; }

int TCStream::Seek(int pos) {
  if (!_cstream) return _pos;
  std::fseek(_cstream, pos, SEEK_SET);
  _pos = ClampToInt(std::ftell(_cstream));
  last_op_ = LastOp::kNone;
  return _pos;
}

int TCStream::Flush() {
  if (_cstream) std::fflush(_cstream);
  return 0;
}

int TCStream::Close() {
  if (!_cstream) return 0;
  Flush();
  std::fclose(_cstream);
  _cstream = nullptr;
  _pos = 0;
  _size = 0;
  return 0;
}

int TCStream::Read(void* buffer, int count) {
  if (!_cstream || count <= 0) return 0;
  if (last_op_ == LastOp::kWrite) std::fseek(_cstream, 0, SEEK_CUR);
  last_op_ = LastOp::kRead;
  int n = static_cast<int>(std::fread(buffer, 1, static_cast<size_t>(count), _cstream));
  _pos += n;
  return n;
}

int TCStream::Write(const void* buffer, int count) {
  if (!_cstream || count <= 0) return 0;
  if (last_op_ == LastOp::kRead) std::fseek(_cstream, 0, SEEK_CUR);
  last_op_ = LastOp::kWrite;
  int n = static_cast<int>(std::fwrite(buffer, 1, static_cast<size_t>(count), _cstream));
  _pos += n;
  if (_pos > _size) _size = _pos;
  return n;
}

std::shared_ptr<TCStream> TCStream::OpenFile(const std::string& path, int readable, int writeable) {
  const char* mode_text = "rb";
  int mode = MODE_READ;
  if (readable && writeable) {
    mode_text = "r+b";
    mode = MODE_READ | MODE_WRITE;
  } else if (writeable) {
    mode_text = "wb";
    mode = MODE_WRITE;
  }
  std::string native = path;
  std::replace(native.begin(), native.end(), '\\', '/');
  std::FILE* file = std::fopen(native.c_str(), mode_text);
  if (!file) return nullptr;
  // A directory opens fine on this system but cannot be read: treat it as a
  // file that is not there, like every other path that cannot be opened.
  struct stat info {};
  if (fstat(fileno(file), &info) != 0 || S_ISDIR(info.st_mode)) {
    std::fclose(file);
    return nullptr;
  }
  return CreateWithCStream(file, mode);
}

std::shared_ptr<TCStream> TCStream::CreateWithCStream(std::FILE* file, int mode) {
  auto stream = std::make_shared<TCStream>();
  stream->_cstream = file;
  stream->_pos = ClampToInt(std::ftell(file));
  std::fseek(file, 0, SEEK_END);
  stream->_size = ClampToInt(std::ftell(file));
  std::fseek(file, stream->_pos, SEEK_SET);
  stream->_mode = mode;
  return stream;
}

// ---------------------------------------------------------------- TMemoryStream

int TMemoryStream::Pos() { return _pos; }
int TMemoryStream::Size() { return static_cast<int>(std::min(_bytes.size(), static_cast<size_t>(INT_MAX))); }

int TMemoryStream::Seek(int pos) {
  _pos = std::clamp(pos, 0, Size());
  return _pos;
}

int TMemoryStream::Read(void* buffer, int count) {
  int n = std::min(count, Size() - _pos);
  if (n <= 0) return 0;
  std::memcpy(buffer, _bytes.data() + _pos, static_cast<size_t>(n));
  _pos += n;
  return n;
}

int TMemoryStream::Write(const void* buffer, int count) {
  if (count <= 0 || count > INT_MAX - _pos) return 0;
  size_t end = static_cast<size_t>(_pos) + static_cast<size_t>(count);
  if (end > _bytes.size()) _bytes.resize(end);
  std::memcpy(_bytes.data() + _pos, buffer, static_cast<size_t>(count));
  _pos += count;
  return count;
}

std::shared_ptr<TMemoryStream> CreateMemoryStream(const void* data, size_t size) {
  const auto* bytes = static_cast<const uint8_t*>(data);
  return CreateMemoryStream(std::vector<uint8_t>(bytes, bytes + (data ? size : 0)));
}

std::shared_ptr<TMemoryStream> CreateMemoryStream(std::vector<uint8_t> bytes) {
  return std::make_shared<TMemoryStream>(std::move(bytes));
}

// ---------------------------------------------------------------- factories and urls

std::shared_ptr<TStream> OpenStream(const std::string& url, int readable, int writeable) {
  std::string protocol;
  std::string path;
  if (!url.empty()) {
    size_t at = url.find("::");
    if (at == std::string::npos) return TCStream::OpenFile(url, readable, writeable);
    protocol = url.substr(0, at);
    for (char& c : protocol) {
      if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    path = url.substr(at + 2);
  }
  for (TStreamFactory* factory = TStreamFactory::First(); factory; factory = factory->Next()) {
    if (auto stream = factory->CreateStream(url, protocol, path, readable, writeable)) return stream;
  }
  return nullptr;
}

std::shared_ptr<TStream> OpenStream(const char* url, int readable, int writeable) {
  return OpenStream(std::string(url ? url : ""), readable, writeable);
}

std::shared_ptr<TStream> OpenStream(const std::shared_ptr<TObject>& url, int readable, int writeable) {
  if (auto stream = std::dynamic_pointer_cast<TStream>(url)) return std::make_shared<TStreamWrapper>(stream);
  return OpenStream(std::string(), readable, writeable);
}

std::shared_ptr<TStream> ReadStream(const std::string& url) { return OpenStream(url, 1, 0); }
std::shared_ptr<TStream> ReadStream(const char* url) { return OpenStream(url, 1, 0); }
std::shared_ptr<TStream> ReadStream(const std::shared_ptr<TObject>& url) { return OpenStream(url, 1, 0); }
std::shared_ptr<TStream> WriteStream(const std::string& url) { return OpenStream(url, 0, 1); }
std::shared_ptr<TStream> WriteStream(const char* url) { return OpenStream(url, 0, 1); }
std::shared_ptr<TStream> WriteStream(const std::shared_ptr<TObject>& url) { return OpenStream(url, 0, 1); }
