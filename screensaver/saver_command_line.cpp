#include "screensaver/saver_command_line.h"

#include <cctype>
#include <charconv>

namespace corvane::screensaver {
namespace {

SaverCommand Error(std::string text) {
  SaverCommand command;
  command.mode = SaverMode::kError;
  command.error = std::move(text);
  return command;
}

bool IsWord(std::string_view arg, std::string_view word) {
  return arg == "-" + std::string(word) || arg == "--" + std::string(word);
}

// A framework switch: "-" or "/", one letter, then nothing, ":" and a value, or the value.
struct FrameworkSwitch {
  char letter = 0;
  std::string_view attached;  // what follows the letter (a leading ':' removed)
};

std::optional<FrameworkSwitch> SplitFrameworkSwitch(std::string_view arg) {
  if (arg.size() < 2 || (arg[0] != '-' && arg[0] != '/')) return std::nullopt;
  const char letter = static_cast<char>(std::tolower(static_cast<unsigned char>(arg[1])));
  if (letter != 's' && letter != 'p' && letter != 'l' && letter != 'c' && letter != 'a') {
    return std::nullopt;
  }
  std::string_view rest = arg.substr(2);
  if (!rest.empty() && rest[0] == ':') {
    rest.remove_prefix(1);
  } else if (!rest.empty() && !std::isdigit(static_cast<unsigned char>(rest[0]))) {
    return std::nullopt;  // a word such as "-size", not a switch of ours
  }
  return FrameworkSwitch{letter, rest};
}

}  // namespace

std::optional<std::uint32_t> ParseWindowId(std::string_view text) {
  int base = 10;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    text.remove_prefix(2);
    base = 16;
  }
  std::uint64_t value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
  if (text.empty() || error != std::errc() || end != text.data() + text.size() || value == 0 ||
      value > 0xFFFFFFFFu) {
    return std::nullopt;
  }
  return static_cast<std::uint32_t>(value);
}

SaverCommand ParseSaverCommandLine(const std::vector<std::string_view>& args,
                                   const char* xscreensaver_window) {
  bool root = false;
  std::optional<std::uint32_t> window_id;
  std::optional<SaverCommand> framework;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string_view arg = args[i];
    if (IsWord(arg, "h") || IsWord(arg, "help")) {
      SaverCommand help;
      help.mode = SaverMode::kHelp;
      return help;
    }
    if (IsWord(arg, "version")) {
      SaverCommand version;
      version.mode = SaverMode::kVersion;
      return version;
    }
    if (IsWord(arg, "root")) {
      root = true;
      continue;
    }
    if (IsWord(arg, "window-id") || arg.starts_with("--window-id=")) {
      std::string_view value;
      if (const std::size_t equals = arg.find('='); equals != std::string_view::npos) {
        value = arg.substr(equals + 1);
      } else if (i + 1 < args.size()) {
        value = args[++i];
      } else {
        return Error(std::string(arg) + " needs a window id");
      }
      window_id = ParseWindowId(value);
      if (!window_id) return Error("\"" + std::string(value) + "\" is not a window id");
      continue;
    }
    const std::optional<FrameworkSwitch> sw = SplitFrameworkSwitch(arg);
    if (!sw) return Error("unknown argument \"" + std::string(arg) + "\"");
    if (framework) return Error("more than one of /s, /p, /c and /a given");
    SaverCommand command;
    std::string_view handle = sw->attached;
    switch (sw->letter) {
      case 's':
        if (!handle.empty()) return Error("/s takes no window");
        command.mode = SaverMode::kFullScreen;
        break;
      case 'c':
        command.mode = SaverMode::kOptions;
        if (!handle.empty()) {
          const std::optional<std::uint32_t> owner = ParseWindowId(handle);
          if (!owner) return Error("\"" + std::string(handle) + "\" is not a window id");
          command.owner = *owner;
        }
        break;
      case 'p':
      case 'l':
      case 'a': {
        if (handle.empty() && i + 1 < args.size()) handle = args[++i];
        const std::optional<std::uint32_t> id = ParseWindowId(handle);
        if (!id) {
          return Error("/" + std::string(1, sw->letter) +
                       (handle.empty()
                            ? " needs a window id"
                            : " takes a window id, not \"" + std::string(handle) + "\""));
        }
        command.mode = sw->letter == 'a' ? SaverMode::kPassword : SaverMode::kPreview;
        command.window = *id;
        break;
      }
    }
    framework = command;
  }

  const bool hack = root || window_id.has_value();
  if (framework && hack) return Error("a host's window and /s, /p, /c or /a given together");
  if (framework) return *framework;
  const bool from_host = hack || (args.empty() && xscreensaver_window != nullptr);
  if (!from_host) return SaverCommand{};  // no argument: the options dialog

  SaverCommand command;
  command.mode = SaverMode::kHostWindow;
  if (window_id) {
    command.window = *window_id;
  } else if (xscreensaver_window != nullptr) {
    const std::optional<std::uint32_t> id = ParseWindowId(xscreensaver_window);
    if (!id) {
      return Error("$XSCREENSAVER_WINDOW \"" + std::string(xscreensaver_window) +
                   "\" is not a window id");
    }
    command.window = *id;
  }
  return command;
}

}  // namespace corvane::screensaver
