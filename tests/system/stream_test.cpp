// Streams: file opening and the path rule, the factory chain, typed reads at
// the end of data, closed streams, and the memory stream.
#include "system/stream.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

// A private scratch folder outside the source tree, removed afterwards.
class StreamFiles : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/gloomfall-stream-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override {
    std::error_code ignored;
    fs::remove_all(dir_, ignored);
  }
  std::string Make(const std::string& name, const std::string& bytes) {
    fs::path path = dir_ / name;
    fs::create_directories(path.parent_path());
    std::ofstream(path, std::ios::binary) << bytes;
    return path.string();
  }
  fs::path dir_;
};

// Changes the working directory for one test and restores it.
struct ScopedCwd {
  explicit ScopedCwd(const fs::path& to) : saved(fs::current_path()) { fs::current_path(to); }
  ~ScopedCwd() { fs::current_path(saved); }
  fs::path saved;
};

// Records what it was asked and answers for one protocol only.
class RecordingFactory : public TStreamFactory {
 public:
  explicit RecordingFactory(std::string serves) : serves_(std::move(serves)) {}
  std::shared_ptr<TStream> CreateStream(const std::string& url, const std::string& protocol,
                                        const std::string& path, int readable, int writeable) override {
    ++calls;
    last_url = url;
    last_protocol = protocol;
    last_path = path;
    last_readable = readable;
    last_writeable = writeable;
    if (protocol != serves_) return nullptr;
    return CreateMemoryStream(path.data(), path.size());
  }
  int calls = 0;
  std::string last_url, last_protocol, last_path;
  int last_readable = -1, last_writeable = -1;

 private:
  std::string serves_;
};

// Hands out at most `limit` bytes per Read, to exercise the refill loops.
class TrickleStream : public TStream {
 public:
  TrickleStream(std::string data, int limit) : data_(std::move(data)), limit_(limit) {}
  int Pos() override { return pos_; }
  int Size() override { return static_cast<int>(data_.size()); }
  int Read(void* buffer, int count) override {
    int n = std::min({count, limit_, Size() - pos_});
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
  }
  int Write(const void*, int count) override { return std::min(count, limit_); }

 private:
  std::string data_;
  int limit_;
  int pos_ = 0;
};

}  // namespace

TEST_F(StreamFiles, BackslashPathOpensRelativeToWorkingDirectoryForReading) {
  Make("gfx/shade2.png", "PNGDATA");
  ScopedCwd cwd(dir_);
  auto stream = ReadStream("gfx\\shade2.png");
  ASSERT_TRUE(stream);
  auto file = std::dynamic_pointer_cast<TCStream>(stream);
  ASSERT_TRUE(file);
  EXPECT_EQ(file->_mode, MODE_READ);
  EXPECT_EQ(file->Size(), 7);
  EXPECT_EQ(file->Pos(), 0);
  EXPECT_EQ(file->ReadString(7), "PNGDATA");
  EXPECT_EQ(file->Eof(), 1);
  // Opened read-only: writing fails and is reported as a stream write error.
  EXPECT_THROW(file->WriteByte(1), TStreamWriteException);
}

TEST_F(StreamFiles, MissingFilesAndDirectoriesGiveNone) {
  EXPECT_FALSE(ReadStream((dir_ / "nothing.png").string()));
  EXPECT_FALSE(TCStream::OpenFile((dir_ / "nothing.png").string(), 1, 1));
  EXPECT_FALSE(ReadStream(dir_.string()));
}

TEST_F(StreamFiles, WriteThenReadBackAllTypesLittleEndian) {
  std::string path = (dir_ / "out.bin").string();
  {
    auto out = WriteStream(path);
    ASSERT_TRUE(out);
    EXPECT_EQ(std::dynamic_pointer_cast<TCStream>(out)->_mode, MODE_WRITE);
    out->WriteByte(0x1FF);  // only the low byte is kept
    out->WriteShort(0x12345);
    out->WriteInt(-2);
    out->WriteLong(0x0102030405060708LL);
    out->WriteFloat(1.5f);
    out->WriteDouble(-0.25);
    EXPECT_EQ(out->WriteLine("line one"), 1);
    out->WriteString("x");
    EXPECT_EQ(out->Pos(), 1 + 2 + 4 + 8 + 4 + 8 + 10 + 1);
    EXPECT_EQ(out->Size(), out->Pos());
  }  // destroying the stream closes and flushes the file
  std::ifstream raw(path, std::ios::binary);
  std::string bytes((std::istreambuf_iterator<char>(raw)), std::istreambuf_iterator<char>());
  ASSERT_EQ(bytes.size(), 38u);
  EXPECT_EQ(static_cast<uint8_t>(bytes[0]), 0xFF);
  EXPECT_EQ(static_cast<uint8_t>(bytes[1]), 0x45);  // little-endian short
  EXPECT_EQ(static_cast<uint8_t>(bytes[2]), 0x23);

  auto in = ReadStream(path);
  ASSERT_TRUE(in);
  EXPECT_EQ(in->ReadByte(), 255);
  EXPECT_EQ(in->ReadShort(), 0x2345);
  EXPECT_EQ(in->ReadInt(), -2);
  EXPECT_EQ(in->ReadLong(), 0x0102030405060708LL);
  EXPECT_EQ(in->ReadFloat(), 1.5f);
  EXPECT_EQ(in->ReadDouble(), -0.25);
  EXPECT_EQ(in->ReadLine(), "line one");
  EXPECT_EQ(in->ReadLine(), "x");
  EXPECT_EQ(in->Eof(), 1);
}

TEST_F(StreamFiles, ReadWriteModeSeeksAndGrows) {
  std::string path = Make("rw.bin", "abcdef");
  auto stream = TCStream::OpenFile(path, 1, 1);
  ASSERT_TRUE(stream);
  EXPECT_EQ(stream->_mode, 3);
  EXPECT_EQ(stream->ReadByte(), 'a');
  stream->WriteByte('B');  // a write straight after a read lands at position 1
  EXPECT_EQ(stream->Seek(4), 4);
  EXPECT_EQ(stream->ReadString(2), "ef");
  stream->WriteString("gh");
  EXPECT_EQ(stream->Size(), 8);
  EXPECT_EQ(stream->Seek(0), 0);
  EXPECT_EQ(stream->ReadString(8), "aBcdefgh");
}

TEST_F(StreamFiles, ClosedStreamReportsZeroPositionZeroSizeAndEnd) {
  auto stream = TCStream::OpenFile(Make("c.bin", "0123456789"), 1, 0);
  ASSERT_TRUE(stream);
  stream->SkipBytes(3);
  EXPECT_EQ(stream->Pos(), 3);
  stream->Close();
  EXPECT_EQ(stream->Pos(), 0);
  EXPECT_EQ(stream->Size(), 0);
  EXPECT_EQ(stream->Eof(), 1);
  EXPECT_EQ(stream->Close(), 0);  // closing twice is harmless
  EXPECT_EQ(stream->ReadInt(), 0);  // at the end: zeros, no error
  EXPECT_THROW(stream->WriteInt(1), TStreamWriteException);
}

TEST(StreamUrls, ProtocolPrefixGoesToFactoriesNeverToFiles) {
  RecordingFactory factory("mem");
  // a::b must not be opened as a file, even when such a file exists.
  EXPECT_FALSE(ReadStream("a::b"));
  EXPECT_EQ(factory.calls, 1);
  EXPECT_EQ(factory.last_protocol, "a");
  EXPECT_EQ(factory.last_path, "b");
  EXPECT_EQ(factory.last_url, "a::b");
  EXPECT_EQ(factory.last_readable, 1);
  EXPECT_EQ(factory.last_writeable, 0);

  // Only A-Z are lowered; the path keeps its case and any later "::".
  auto stream = WriteStream("MeM::Some::Path");
  ASSERT_TRUE(stream);
  EXPECT_EQ(factory.last_path, "Some::Path");
  EXPECT_EQ(factory.last_writeable, 1);
  EXPECT_EQ(stream->ReadString(stream->Size()), "Some::Path");
}

TEST(StreamUrls, EmptyUrlAsksFactoriesWithEmptyProtocolAndPath) {
  EXPECT_FALSE(ReadStream(""));
  RecordingFactory factory("none");
  EXPECT_FALSE(ReadStream(""));
  EXPECT_EQ(factory.calls, 1);
  EXPECT_EQ(factory.last_protocol, "");
  EXPECT_EQ(factory.last_path, "");
  // A non-stream object counts as the empty string too.
  EXPECT_FALSE(ReadStream(std::make_shared<TObject>()));
  EXPECT_EQ(factory.calls, 2);
}

TEST(StreamUrls, NewestFactoryIsAskedFirstAndUnlinksWhenDestroyed) {
  RecordingFactory older("p");
  {
    RecordingFactory newer("p");
    ASSERT_TRUE(ReadStream("p::x"));
    EXPECT_EQ(newer.calls, 1);
    EXPECT_EQ(older.calls, 0);
  }
  ASSERT_TRUE(ReadStream("p::x"));
  EXPECT_EQ(older.calls, 1);
}

TEST(StreamUrls, StreamUrlGetsAWrapperThatPassesEverythingThrough) {
  auto inner = CreateMemoryStream(std::vector<uint8_t>{1, 2, 3, 4});
  auto wrapper = ReadStream(inner);
  ASSERT_TRUE(wrapper);
  EXPECT_NE(wrapper.get(), inner.get());
  EXPECT_EQ(wrapper->Size(), 4);
  EXPECT_EQ(wrapper->ReadByte(), 1);
  EXPECT_EQ(inner->Pos(), 1);
  EXPECT_EQ(wrapper->Seek(3), 3);
  EXPECT_EQ(inner->ReadByte(), 4);
  EXPECT_EQ(wrapper->Eof(), 1);
}

TEST(StreamReads, ReadIntOnTwoByteTailGivesLowHalfAndNoError) {
  auto stream = CreateMemoryStream(std::vector<uint8_t>{9, 9, 0x34, 0x12});
  stream->Seek(2);
  int32_t value = -1;
  EXPECT_NO_THROW(value = stream->ReadInt());
  EXPECT_EQ(value, 0x1234);
  EXPECT_EQ(stream->Eof(), 1);
  EXPECT_EQ(stream->ReadShort(), 0);
  EXPECT_EQ(stream->ReadDouble(), 0.0);
}

TEST(StreamReads, ReadBytesStopsAtEndLeavingTheRestOfTheBuffer) {
  auto stream = CreateMemoryStream("ab", 2);
  char buffer[5] = {'x', 'x', 'x', 'x', 'x'};
  EXPECT_EQ(stream->ReadBytes(buffer, 5), 5);  // always the count asked for
  EXPECT_EQ(std::string(buffer, 5), "abxxx");
}

TEST(StreamReads, ShortReadsAreRefilledUntilDone) {
  TrickleStream stream("0123456789ABCDEFGHIJ", 3);
  EXPECT_EQ(stream.ReadString(5), "01234");
  EXPECT_EQ(stream.SkipBytes(4), 4);
  EXPECT_EQ(stream.ReadString(3), "9AB");
  EXPECT_EQ(stream.WriteBytes("abcdefg", 7), 7);
  EXPECT_EQ(stream.SkipBytes(100), 100);  // stops at the end quietly
  EXPECT_EQ(stream.Eof(), 1);
}

// A stream that claims more data but delivers none: a broken file.
class StuckStream : public TStream {
 public:
  int Pos() override { return 0; }
  int Size() override { return 10; }
  int Read(void*, int) override { return 0; }
  int Write(const void*, int) override { return 0; }
};

TEST(StreamReads, ReadOfNothingBeforeTheEndIsAStreamError) {
  StuckStream stream;
  EXPECT_THROW(stream.ReadInt(), TStreamReadException);
  EXPECT_THROW(stream.SkipBytes(1), TStreamReadException);
  EXPECT_THROW(stream.WriteByte(0), TStreamWriteException);
  // Loaders catch the whole family as one.
  try {
    stream.ReadByte();
    FAIL() << "expected a stream error";
  } catch (const TStreamException& e) {
    EXPECT_EQ(e.ToString(), "Error reading from stream");
  }
  try {
    stream.WriteByte(0);
    FAIL() << "expected a stream error";
  } catch (const TStreamException& e) {
    EXPECT_EQ(e.ToString(), "Error writing to stream");
  }
}

TEST(StreamReads, ReadLineStopsAtLineFeedZeroOrEndAndDropsCarriageReturns) {
  using namespace std::string_literals;
  std::string text = "one\r\ntw\ro\0three\n\nlast"s;
  auto stream = CreateMemoryStream(text.data(), text.size());
  EXPECT_EQ(stream->ReadLine(), "one");
  EXPECT_EQ(stream->ReadLine(), "two");
  EXPECT_EQ(stream->ReadLine(), "three");
  EXPECT_EQ(stream->ReadLine(), "");
  EXPECT_EQ(stream->ReadLine(), "last");
  EXPECT_EQ(stream->ReadLine(), "");
  // Bytes above 127 come back unchanged.
  auto high = CreateMemoryStream("\xE9\xFF\n", 3);
  EXPECT_EQ(high->ReadLine(), "\xE9\xFF");
}

TEST(StreamBase, DefaultsOfAnUnspecialisedStream) {
  TStream stream;
  EXPECT_EQ(stream.Pos(), -1);
  EXPECT_EQ(stream.Size(), 0);
  EXPECT_EQ(stream.Eof(), 0);
  EXPECT_EQ(stream.Seek(5), -1);
  EXPECT_EQ(stream.Flush(), 0);
  EXPECT_EQ(stream.Close(), 0);
  char byte = 0;
  try {
    stream.Read(&byte, 1);
    FAIL();
  } catch (const TRuntimeException& e) {
    EXPECT_EQ(e.error, "Stream is not readable");
  }
  try {
    stream.Write(&byte, 1);
    FAIL();
  } catch (const TRuntimeException& e) {
    EXPECT_EQ(e.error, "Stream is not writeable");
  }
  try {
    stream.ReadObject();
    FAIL();
  } catch (const TException& e) {
    EXPECT_EQ(e.ToString(), "Unable to read object");
  }
  try {
    stream.WriteObject(nullptr);
    FAIL();
  } catch (const TException& e) {
    EXPECT_EQ(e.ToString(), "Unable to write object");
  }
}

TEST(MemoryStream, SeekClampsAndWritesGrow) {
  auto stream = CreateMemoryStream(nullptr, 0);
  EXPECT_EQ(stream->Size(), 0);
  EXPECT_EQ(stream->Eof(), 1);
  stream->WriteInt(0x01020304);
  EXPECT_EQ(stream->Size(), 4);
  EXPECT_EQ(stream->Seek(-3), 0);
  EXPECT_EQ(stream->Seek(99), 4);
  EXPECT_EQ(stream->Seek(1), 1);
  stream->WriteShort(0xAAAA);
  EXPECT_EQ(stream->Size(), 4);
  stream->Seek(0);
  EXPECT_EQ(stream->ReadInt(), 0x01AAAA04);
}
