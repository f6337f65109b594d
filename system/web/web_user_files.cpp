// The player's files in the browser: the page keeps none of its own, so a
// file kept is a download, and a file offered waits behind the page's button
// beside the frame (packaging/web/index.html) until the player wants it. A
// file the player gives the page (chosen, dropped, or named in its address)
// the page writes into the game's file system and opens with WebOpenFile.
#include <emscripten.h>

#include <memory>

#include "system/event.h"
#include "system/user_files.h"

namespace {

// clang-format off
EM_JS(void, WebOfferFile, (const char* name, const uint8_t* bytes, int size, int download), {
  var file = new Blob([HEAPU8.slice(bytes, bytes + size)], {type: "application/octet-stream"});
  var offered = {name: UTF8ToString(name), blob: file};
  Module.gloomfallOffered = offered;
  if (typeof Module.onFileOffered === "function") Module.onFileOffered(offered);
  if (!download) return;
  if (typeof Module.downloadOffered === "function") {
    Module.downloadOffered();
    return;
  }
  var link = document.createElement("a");
  link.href = URL.createObjectURL(file);
  link.download = offered.name;
  link.click();
  setTimeout(function() { URL.revokeObjectURL(link.href); }, 10000);
});
// clang-format on

}  // namespace

bool KeepUserFile(const std::string&, const std::string& name, const std::vector<uint8_t>& bytes,
                  std::string& where) {
  WebOfferFile(name.c_str(), bytes.data(), static_cast<int>(bytes.size()), 1);
  where = "your downloads, as " + name;
  return true;
}

void OfferUserFile(const std::string& name, const std::vector<uint8_t>& bytes) {
  WebOfferFile(name.c_str(), bytes.data(), static_cast<int>(bytes.size()), 0);
}

// Called by the page: the game hears of the file as of one dropped on a
// native window, and its title watches it.
extern "C" EMSCRIPTEN_KEEPALIVE void WebOpenFile(const char* path) {
  if (path) TEvent::Create(EVENT_APPOPENFILE, nullptr, 0, 0, 0, 0, std::make_shared<TStringObject>(path))->Emit();
}
