#include "platform/linux/proc/mountinfo_parser.h"

#include "platform/linux/proc/instance_names.h"
#include "platform/linux/proc/text_fields.h"

namespace corvane::local {

ParseResult ParseMountinfo(std::string_view text, MountinfoSnapshot* out) {
  out->mounts.Clear();
  std::string_view line;
  std::size_t number = 0;
  while (text::NextLine(&text, &line)) {
    ++number;
    std::string_view rest = line;
    if (text::NextField(&rest).empty()) continue;  // blank line
    MountEntry& mount = out->mounts.Append();
    text::NextField(&rest);  // parent id
    const std::string_view device = text::NextField(&rest);
    const auto colon = device.find(':');
    if (colon == std::string_view::npos ||
        !text::ParseUnsigned(device.substr(0, colon), &mount.major) ||
        !text::ParseUnsigned(device.substr(colon + 1), &mount.minor))
      return ParseResult::Fail(number, "major:minor");
    if (text::NextField(&rest).empty()) return ParseResult::Fail(number, "root");
    const std::string_view mount_point = text::NextField(&rest);
    if (mount_point.empty()) return ParseResult::Fail(number, "mount point");
    UnescapeOctal(mount_point, &mount.mount_point);
    // Mount options, then any number of optional fields ("shared:1", "master:2"), ended by "-".
    std::string_view field;
    do {
      field = text::NextField(&rest);
    } while (!field.empty() && field != "-");
    if (field.empty()) return ParseResult::Fail(number, "separator");
    const std::string_view fstype = text::NextField(&rest);
    if (fstype.empty()) return ParseResult::Fail(number, "file system type");
    mount.fstype.assign(fstype);
    UnescapeOctal(text::NextField(&rest), &mount.source);
  }
  return ParseResult::Ok();
}

}  // namespace corvane::local
