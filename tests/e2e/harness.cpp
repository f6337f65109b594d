// See harness.h. Everything here is plain POSIX plus the X tools the
// dependency script installs (Xvfb, xdotool, xwd).
#include "tests/e2e/harness.h"

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <sstream>
#include <png.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace fs = std::filesystem;

void SleepMs(int ms) { std::this_thread::sleep_for(std::chrono::milliseconds(ms)); }

bool Eventually(const std::function<bool()>& done, int timeout_ms) {
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
  while (!done()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    SleepMs(50);
  }
  return true;
}

std::string Quote(const std::string& s) { return "'" + s + "'"; }

std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string RunCommand(const std::string& display, const std::string& cmd, int* status) {
  std::string full = "DISPLAY=" + display + " " + cmd;
  FILE* p = popen(full.c_str(), "r");
  if (!p) return "";
  std::string out;
  char buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, p)) > 0) out.append(buf, n);
  int rc = pclose(p);
  if (status) *status = WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  return out;
}

XServer::XServer(const std::string& screen) {
  // Pick a display number nobody holds, then wait for its socket.
  for (int n = 80 + (getpid() % 50); n < 400; ++n) {
    std::string lock = "/tmp/.X" + std::to_string(n) + "-lock";
    std::string sock = "/tmp/.X11-unix/X" + std::to_string(n);
    if (fs::exists(lock) || fs::exists(sock)) continue;
    display_ = ":" + std::to_string(n);
    pid_ = fork();
    if (pid_ == 0) {
      int devnull = open("/dev/null", O_WRONLY);
      dup2(devnull, 1);
      dup2(devnull, 2);
      // -noreset: by default the server starts over whenever its last client
      // leaves and refuses whoever connects meanwhile; a probe that opens and
      // closes the display just before the game connects is enough for that.
      execlp("Xvfb", "Xvfb", display_.c_str(), "-screen", "0", screen.c_str(), "-nolisten", "tcp", "-noreset",
             static_cast<char*>(nullptr));
      _exit(127);
    }
    // The socket appears before the server takes clients: wait for an answer.
    for (int i = 0; i < 100; ++i) {
      int st;
      if (waitpid(pid_, &st, WNOHANG) == pid_) break;  // lost a race for the number
      if (fs::exists(sock) && DisplayAnswers(display_)) return;
      SleepMs(50);
    }
    if (fs::exists(sock) && DisplayAnswers(display_)) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
    pid_ = -1;
  }
}

XServer::~XServer() {
  if (pid_ > 0) {
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
  }
}

GameProcess::GameProcess(const XServer& x, const std::string& folder, const std::string& audio_file,
                         const std::string& program, const std::vector<std::string>& args)
    : display_(x.display()) {
  // Wine finds its loader through argv[0], so another program keeps its name.
  std::vector<char*> argv = {const_cast<char*>(args.empty() ? "gloomfall" : program.c_str())};
  for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
  argv.push_back(nullptr);
  pid_ = fork();
  if (pid_ == 0) {
    if (chdir(folder.c_str()) != 0) _exit(126);
    setenv("DISPLAY", display_.c_str(), 1);
    // Kinder than a player's machine, so the test can hear the game: SDL's
    // disk output stands in for a sound card this machine does not have.
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", audio_file.c_str(), 1);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
}

GameProcess::~GameProcess() {
  if (running()) {
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
  }
}

bool GameProcess::running() { return WaitExit(0) == -1 && pid_ > 0; }

int GameProcess::WaitExit(int timeout_ms) {
  if (pid_ <= 0) return status_;
  for (int waited = 0;; waited += 20) {
    int st;
    pid_t r = waitpid(pid_, &st, WNOHANG);
    if (r == pid_) {
      status_ = WIFEXITED(st) ? WEXITSTATUS(st) : 128 + WTERMSIG(st);
      pid_ = -1;
      return status_;
    }
    if (waited >= timeout_ms) return -1;
    SleepMs(20);
  }
}

std::string GameProcess::xdo(const std::string& args) {
  return RunCommand(display_, "xdotool " + args + " 2>/dev/null");
}

void GameProcess::Hold(const std::string& key, int ms) {
  xdo("keydown " + key);
  SleepMs(ms);
  xdo("keyup " + key);
}

std::string GameProcess::FindWindow(const std::string& name, int timeout_ms) {
  for (int waited = 0; waited <= timeout_ms; waited += 100) {
    std::string out = xdo("search --onlyvisible --name '^" + name + "$'");
    if (!out.empty()) return out.substr(0, out.find('\n'));
    SleepMs(100);
  }
  return "";
}

namespace {
std::string FirstLine(const std::string& path) {
  std::ifstream in(path);
  std::string line;
  std::getline(in, line);
  return line;
}
}  // namespace

std::string GameProcess::Describe(const std::string& window_id) {
  std::string out;
  if (running()) {
    std::error_code ec;
    std::string proc = "/proc/" + std::to_string(pid_);
    for (const auto& task : fs::directory_iterator(proc + "/task", ec)) {
      // Fields after the name in parentheses: state, ..., utime, stime (ticks).
      std::string stat = FirstLine(task.path() / "stat");
      std::istringstream fields(stat.substr(std::min(stat.size(), stat.rfind(')') + 2)));
      std::vector<std::string> f{std::istream_iterator<std::string>(fields), {}};
      out += "thread " + task.path().filename().string() + " (" + FirstLine(task.path() / "comm") + "): ";
      if (f.size() > 12) out += "state " + f[0] + ", cpu " + f[11] + "+" + f[12] + " ticks, ";
      out += "waits in " + FirstLine(task.path() / "wchan") + "\n";
    }
  } else {
    out += "the game has ended with status " + std::to_string(status_) + "\n";
  }
  std::string ids = xdo("search --onlyvisible --name '.'");
  std::istringstream lines(ids);
  for (std::string id; std::getline(lines, id);) {
    std::string name = xdo("getwindowname " + id), geometry = xdo("getwindowgeometry " + id);
    std::replace(geometry.begin(), geometry.end(), '\n', ' ');
    out += "window " + id + " '" + name.substr(0, name.find('\n')) + "': " + geometry + "\n";
  }
  out += "focus: " + xdo("getwindowfocus");
  Shot s = Screenshot(display_, window_id);
  if (s.empty()) {
    out += "the window gives no screenshot\n";
  } else {
    std::map<uint32_t, int> colours;
    for (uint32_t v : s.pixels) ++colours[v];
    auto most = std::max_element(colours.begin(), colours.end(),
                                 [](const auto& a, const auto& b) { return a.second < b.second; });
    char line[160];
    std::snprintf(line, sizeof line, "the window shows %dx%d, %zu colours, mostly #%06x (%d pixels), %d white\n",
                  s.width, s.height, colours.size(), unsigned(most->first), most->second,
                  Count(s, 0, 0, s.width, s.height, White));
    out += line;
  }
  return out;
}

namespace {
uint32_t Be32(const unsigned char* p) {
  return (uint32_t(p[0]) << 24) | (uint32_t(p[1]) << 16) | (uint32_t(p[2]) << 8) | p[3];
}
int MaskShift(uint32_t mask) {
  int s = 0;
  while (mask && !(mask & 1)) mask >>= 1, ++s;
  return s;
}
}  // namespace

Shot Screenshot(const std::string& display, const std::string& window_id) {
  Shot shot;
  std::string target = window_id.empty() ? "-root" : "-id " + window_id;
  std::string data = RunCommand(display, "xwd -silent " + target + " 2>/dev/null");
  if (data.size() < 100) return shot;
  auto* p = reinterpret_cast<const unsigned char*>(data.data());
  uint32_t header_size = Be32(p), format = Be32(p + 8), width = Be32(p + 16), height = Be32(p + 20);
  uint32_t byte_order = Be32(p + 28), bpp = Be32(p + 44), bpl = Be32(p + 48);
  uint32_t rmask = Be32(p + 56), gmask = Be32(p + 60), bmask = Be32(p + 64), ncolors = Be32(p + 76);
  size_t offset = header_size + size_t(ncolors) * 12;
  // Pixels are 4 bytes, but xwd reports 24 bits for them when windows of
  // other visuals are about (Wine's); the row length tells.
  const uint32_t bytes = width ? bpl / width : 0;
  if (format != 2 || (bpp != 32 && bpp != 24) || bytes != 4 || offset + size_t(bpl) * height > data.size())
    return shot;
  shot.width = int(width);
  shot.height = int(height);
  shot.pixels.resize(size_t(width) * height);
  for (uint32_t y = 0; y < height; ++y) {
    for (uint32_t x = 0; x < width; ++x) {
      const unsigned char* q = p + offset + size_t(y) * bpl + x * 4;
      uint32_t v = byte_order == 0 ? (q[0] | q[1] << 8 | q[2] << 16 | uint32_t(q[3]) << 24) : Be32(q);
      uint32_t r = (v & rmask) >> MaskShift(rmask), g = (v & gmask) >> MaskShift(gmask),
               b = (v & bmask) >> MaskShift(bmask);
      shot.pixels[size_t(y) * width + x] = (r << 16) | (g << 8) | b;
    }
  }
  return shot;
}

bool WritePng(const Shot& shot, const std::string& path) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png_create_info_struct(png);
  std::vector<unsigned char> row(size_t(shot.width) * 3);
  if (setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    fclose(f);
    return false;
  }
  png_init_io(png, f);
  png_set_IHDR(png, info, shot.width, shot.height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < shot.height; ++y) {
    for (int x = 0; x < shot.width; ++x) {
      uint32_t v = shot.at(x, y);
      row[x * 3] = (v >> 16) & 255, row[x * 3 + 1] = (v >> 8) & 255, row[x * 3 + 2] = v & 255;
    }
    png_write_row(png, row.data());
  }
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  fclose(f);
  return true;
}

double Difference(const Shot& a, const Shot& b) {
  if (a.width != b.width || a.height != b.height || a.empty()) return 1.0;
  size_t diff = 0;
  for (size_t i = 0; i < a.pixels.size(); ++i) diff += a.pixels[i] != b.pixels[i];
  return double(diff) / double(a.pixels.size());
}

std::vector<uint32_t> IconFromPng(const std::string& path) {
  png_image img{};
  img.version = PNG_IMAGE_VERSION;
  if (!png_image_begin_read_from_file(&img, path.c_str())) return {};
  img.format = PNG_FORMAT_ARGB;
  std::vector<uint8_t> argb(PNG_IMAGE_SIZE(img));
  if (!png_image_finish_read(&img, nullptr, argb.data(), 0, nullptr)) return {};
  std::vector<uint32_t> icon = {img.width, img.height};
  for (size_t i = 0; i < argb.size(); i += 4)
    icon.push_back(uint32_t(argb[i]) << 24 | uint32_t(argb[i + 1]) << 16 | uint32_t(argb[i + 2]) << 8 | argb[i + 3]);
  return icon;
}

int Count(const Shot& s, int x0, int y0, int x1, int y1, const std::function<bool(int, int, int)>& pred) {
  int n = 0;
  for (int y = std::max(0, y0); y < std::min(s.height, y1); ++y)
    for (int x = std::max(0, x0); x < std::min(s.width, x1); ++x) {
      uint32_t v = s.at(x, y);
      n += pred(int(v >> 16), int((v >> 8) & 255), int(v & 255));
    }
  return n;
}

bool White(int r, int g, int b) { return r > 235 && g > 235 && b > 235; }

bool WaitForTitle(const std::string& display, const std::string& window_id, int timeout_ms) {
  for (int waited = 0; waited < timeout_ms; waited += 100) {
    Shot s = Screenshot(display, window_id);
    if (!s.empty() && Count(s, 150, 120, 520, 190, White) > 400) return true;
    SleepMs(100);
  }
  return false;
}

std::string FindMessageBox(const std::string& display, int timeout_ms) {
  // xdotool does not see the box's name, so read the window tree instead.
  for (int waited = 0; waited < timeout_ms; waited += 100) {
    std::string tree = RunCommand(display, "xwininfo -root -tree 2>/dev/null");
    for (size_t p = 0, q; (q = tree.find('\n', p)) != std::string::npos; p = q + 1) {
      std::string line = tree.substr(p, q - p);
      if (line.find("\"gloomfall\": (") == std::string::npos || line.find("800x600") != std::string::npos) continue;
      size_t id = line.find("0x");
      if (id != std::string::npos) return std::to_string(std::stoul(line.substr(id), nullptr, 16));
    }
    SleepMs(100);
  }
  return "";
}

std::vector<int16_t> ReadAudio(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::vector<int16_t> samples(bytes.size() / 2);
  std::memcpy(samples.data(), bytes.data(), samples.size() * 2);
  return samples;
}

int PeakOfTail(const std::string& path, int ms) {
  std::vector<int16_t> s = ReadAudio(path);
  size_t want = size_t(ms) * 44100 / 1000 * 2;
  size_t from = s.size() > want ? s.size() - want : 0;
  int peak = 0;
  for (size_t i = from; i < s.size(); ++i) peak = std::max(peak, std::abs(int(s[i])));
  return peak;
}

bool CopyTree(const std::string& from, const std::string& to) {
  std::error_code ec;
  fs::remove_all(to, ec);
  fs::copy(from, to, fs::copy_options::recursive, ec);
  return !ec;
}
