// Files the player keeps: natively in the player's own data folder
// ($XDG_DATA_HOME/gloomfall/ on Linux, %APPDATA%\gloomfall\ on Windows); in
// the browser the page offers them as downloads (system/native/,
// system/web/).
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Keeps the bytes as the named file in the named folder of the player's
// data; where says where it went (or, on failure, what went wrong).
bool KeepUserFile(const std::string& folder, const std::string& name,
                  const std::vector<uint8_t>& bytes, std::string& where);
// A file the player may want to keep, offered without being kept: the page
// shows a button for it beside the frame. Natively nothing.
void OfferUserFile(const std::string& name, const std::vector<uint8_t>& bytes);
