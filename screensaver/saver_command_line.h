// The screen saver's command line: the switches screen-saver frameworks pass ("/s", "/p HANDLE"
// or "/l HANDLE", "/c[:HANDLE]", "/a HANDLE", none; "-" as well as "/", letters in any case)
// and those of the Linux hosts that run hacks ("-root", "-window-id ID", each also with two
// dashes, and $XSCREENSAVER_WINDOW). A pure function of its input; any thread.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace corvane::screensaver {

enum class SaverMode {
  kOptions,     // the options dialog
  kFullScreen,  // a black full-screen window of our own
  kPreview,     // draw into the window `window` as a preview
  kHostWindow,  // draw into the window a host made: `window`, or the root window when 0
  kPassword,    // "/a": no meaning here
  kHelp,        // -h, --help
  kVersion,     // --version
  kError,       // `error` says what is wrong
};

struct SaverCommand {
  SaverMode mode = SaverMode::kOptions;
  std::uint32_t window = 0;  // kPreview, kHostWindow: the X window id
  std::uint32_t owner = 0;   // kOptions: the window given with "/c:", 0 when none
  std::string error;

  bool operator==(const SaverCommand&) const = default;
};

// A window id as hosts write it: decimal, or hexadecimal after "0x". Not 0, at most 32 bits.
std::optional<std::uint32_t> ParseWindowId(std::string_view text);

// `xscreensaver_window` is the value of $XSCREENSAVER_WINDOW, null when it is not set. A window
// given with -window-id wins over the variable, which wins over the root window. Started
// without arguments but with the variable set, the program was started by a host and draws.
SaverCommand ParseSaverCommandLine(const std::vector<std::string_view>& args,
                                   const char* xscreensaver_window);

inline constexpr std::string_view kSaverUsage =
    "Usage: corvscreen [/s | /p WINDOW | /c[:WINDOW] | /a WINDOW]\n"
    "       corvscreen [-root | -window-id WINDOW]\n"
    "  /s             full screen, until a key, a mouse button or a mouse movement\n"
    "  /p WINDOW      preview inside the X window WINDOW (also /l)\n"
    "  /c, none       the options dialog\n"
    "  -root          the window in $XSCREENSAVER_WINDOW, else the root window\n"
    "  -window-id ID  the X window ID (decimal or 0x hexadecimal)\n"
    "  -h, --help     this text\n"
    "  --version      the version\n";

}  // namespace corvane::screensaver
