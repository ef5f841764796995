#include "platform/linux/host/unit_file.h"

#include <cerrno>

#include "platform/linux/host/service_account.h"
#include "platform/linux/host/unit_template.h"

namespace corvane::host {
namespace {

bool HasControlByte(std::string_view text) {
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte < 0x20 || byte == 0x7f) return true;
  }
  return false;
}

bool Unsafe(const UnitFileOptions& options) {
  if (options.program.empty() || options.program[0] != '/' || HasControlByte(options.program)) {
    return true;
  }
  for (const std::string& path : options.read_write_paths) {
    if (HasControlByte(path)) return true;
  }
  for (const auto& [name, value] : options.environment) {
    if (name.empty() || HasControlByte(name) || HasControlByte(value) ||
        name.find_first_of("= \"\\%") != std::string::npos) {
      return true;
    }
  }
  return false;
}

}  // namespace

std::string QuoteUnitWord(std::string_view word) {
  std::string out = "\"";
  for (const char c : word) {
    if (c == '\\' || c == '"') {
      out += '\\';
      out += c;
    } else if (c == '%') {
      out += "%%";
    } else {
      out += c;
    }
  }
  out += '"';
  return out;
}

HostResult<std::string> MakeUnitFile(const UnitFileOptions& options) {
  return MakeUnitFile(kUnitTemplate, options);
}

HostResult<std::string> MakeUnitFile(std::string_view unit_template,
                                     const UnitFileOptions& options) {
  HostResult<std::string> result;
  if (Unsafe(options)) {
    result.status = HostStatus::Error(EINVAL, "unit file for " + options.program);
    return result;
  }
  static constexpr std::string_view kProgram = "@PROGRAM@";
  static constexpr std::string_view kUser = "@USER@";
  std::string& text = result.value;
  while (!unit_template.empty()) {
    const auto end = unit_template.find('\n');
    std::string line(unit_template.substr(0, end));
    unit_template.remove_prefix(end == std::string_view::npos ? unit_template.size() : end + 1);

    if (line.rfind("##", 0) == 0) continue;  // notes for the reader of the template
    if (line == "@ENVIRONMENT@") {
      for (const auto& [name, value] : options.environment) {
        text += "Environment=" + QuoteUnitWord(name + "=" + value) + "\n";
      }
      continue;
    }
    if (line == "@READ_WRITE_PATHS@") {
      if (options.read_write_paths.empty()) continue;
      // No "-": a folder that is missing when the service starts is an error rather than
      // silently dropped, which would leave the service unable to write its logs.
      text += "ReadWritePaths=";
      for (std::size_t i = 0; i < options.read_write_paths.size(); ++i) {
        if (i > 0) text += ' ';
        text += QuoteUnitWord(options.read_write_paths[i]);
      }
      text += "\n";
      continue;
    }
    const std::string program = QuoteUnitWord(options.program);
    for (const auto& [placeholder, value] :
         {std::pair{kProgram, std::string_view(program)}, std::pair{kUser, kServiceUser}}) {
      for (auto at = line.find(placeholder); at != std::string::npos;
           at = line.find(placeholder, at)) {
        line.replace(at, placeholder.size(), value);
        at += value.size();
      }
    }
    text += line + "\n";
  }
  return result;
}

}  // namespace corvane::host
