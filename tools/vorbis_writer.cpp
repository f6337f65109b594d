// OGG Vorbis encoding with a peak check (see vorbis_writer.h).
// Leans on libvorbisenc to encode and libvorbisfile to decode the result again.
#include "tools/vorbis_writer.h"

#include <vorbis/codec.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

namespace {

// Any fixed number will do; it only has to be the same on every build.
constexpr int kStreamSerial = 0x676c6f6f;  // "gloo"

void AppendPage(std::vector<unsigned char>& out, const ogg_page& page) {
  out.insert(out.end(), page.header, page.header + page.header_len);
  out.insert(out.end(), page.body, page.body + page.body_len);
}

bool Encode(const std::vector<float>& pcm, const VorbisSettings& s, std::vector<unsigned char>& out) {
  const int ch = s.channels;
  const long frames = static_cast<long>(pcm.size() / ch);
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, ch, 44100, s.quality) != 0) {
    vorbis_info_clear(&vi);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  if (!s.title.empty()) vorbis_comment_add_tag(&vc, "TITLE", s.title.c_str());
  vorbis_comment_add_tag(&vc, "ARTIST", "gloomfall");
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, kStreamSerial);

  ogg_packet header, header_comment, header_code;
  vorbis_analysis_headerout(&vd, &vc, &header, &header_comment, &header_code);
  ogg_stream_packetin(&os, &header);
  ogg_stream_packetin(&os, &header_comment);
  ogg_stream_packetin(&os, &header_code);
  ogg_page page;
  while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);

  const long chunk = 4096;
  long done = 0;
  bool eos = false;
  while (!eos) {
    long n = std::min(chunk, frames - done);
    if (n > 0) {
      float** buffer = vorbis_analysis_buffer(&vd, static_cast<int>(n));
      for (long i = 0; i < n; ++i)
        for (int c = 0; c < ch; ++c) buffer[c][i] = pcm[(done + i) * ch + c];
      vorbis_analysis_wrote(&vd, static_cast<int>(n));
      done += n;
    } else {
      vorbis_analysis_wrote(&vd, 0);  // end of stream
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet packet;
      while (vorbis_bitrate_flushpacket(&vd, &packet)) {
        ogg_stream_packetin(&os, &packet);
        while (!eos && ogg_stream_pageout(&os, &page) != 0) {
          AppendPage(out, page);
          if (ogg_page_eos(&page)) eos = true;
        }
      }
    }
    if (n <= 0 && !eos) {
      // Everything is flushed; make sure the last page went out.
      while (ogg_stream_flush(&os, &page) != 0) AppendPage(out, page);
      eos = true;
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
  return true;
}

struct MemoryFile {
  const std::vector<unsigned char>* data;
  size_t pos;
};

size_t MemRead(void* ptr, size_t size, size_t count, void* source) {
  auto* f = static_cast<MemoryFile*>(source);
  size_t want = size * count;
  size_t have = std::min(want, f->data->size() - f->pos);
  std::memcpy(ptr, f->data->data() + f->pos, have);
  f->pos += have;
  return size ? have / size : 0;
}

int MemSeek(void* source, ogg_int64_t offset, int whence) {
  auto* f = static_cast<MemoryFile*>(source);
  ogg_int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? static_cast<ogg_int64_t>(f->pos)
                                                                 : static_cast<ogg_int64_t>(f->data->size());
  ogg_int64_t p = base + offset;
  if (p < 0 || p > static_cast<ogg_int64_t>(f->data->size())) return -1;
  f->pos = static_cast<size_t>(p);
  return 0;
}

long MemTell(void* source) { return static_cast<long>(static_cast<MemoryFile*>(source)->pos); }

// Decodes the encoded bytes to find their length and peak.
bool Measure(const std::vector<unsigned char>& bytes, VorbisReport& report) {
  MemoryFile file{&bytes, 0};
  ov_callbacks cb{MemRead, MemSeek, nullptr, MemTell};
  OggVorbis_File vf;
  if (ov_open_callbacks(&file, &vf, nullptr, 0, cb) != 0) return false;
  report.frames = ov_pcm_total(&vf, -1);
  int peak = 0;
  char buf[8192];
  int section = 0;
  long got;
  while ((got = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &section)) > 0)
    for (long i = 0; i + 1 < got; i += 2) {
      int v = static_cast<int16_t>(static_cast<uint8_t>(buf[i]) | (static_cast<uint8_t>(buf[i + 1]) << 8));
      peak = std::max(peak, std::abs(v));
    }
  ov_clear(&vf);
  report.peak = peak;
  return got == 0;
}

}  // namespace

VorbisReport WriteOggVorbis(const std::string& path, std::vector<float> pcm, const VorbisSettings& s) {
  VorbisReport report;
  float peak = 0;
  for (float v : pcm) peak = std::max(peak, std::fabs(v));
  double gain = peak > 0 ? std::pow(10.0, s.peak_db / 20.0) / peak : 1.0;
  const double limit = 32767.0 * std::pow(10.0, s.limit_db / 20.0);
  std::vector<unsigned char> bytes;
  for (int attempt = 0; attempt < 6; ++attempt) {
    std::vector<float> scaled(pcm.size());
    for (size_t i = 0; i < pcm.size(); ++i) scaled[i] = static_cast<float>(pcm[i] * gain);
    bytes.clear();
    if (!Encode(scaled, s, bytes) || !Measure(bytes, report)) {
      std::fprintf(stderr, "%s: Vorbis encoding failed\n", path.c_str());
      return report;
    }
    if (report.peak <= limit) break;
    gain *= (limit / report.peak) * 0.97;  // a little under, and try again
  }
  if (report.peak > limit) {
    std::fprintf(stderr, "%s: could not keep the peak under %.1f dBFS\n", path.c_str(), s.limit_db);
    return report;
  }
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) {
    std::perror(path.c_str());
    return report;
  }
  bool written = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  written = std::fclose(f) == 0 && written;
  if (!written) {
    std::fprintf(stderr, "%s: could not write\n", path.c_str());
    return report;
  }
  report.bytes = bytes.size();
  report.ok = true;
  return report;
}
