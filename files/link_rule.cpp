#include "files/link_rule.h"

#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace corvane::files {
namespace {

std::atomic<LinkRule> g_rule{nullptr};

}  // namespace

bool MayFollowLink(const struct stat& link, const struct stat& folder, uid_t uid) {
  const bool shared = (folder.st_mode & S_ISVTX) != 0 && (folder.st_mode & S_IWOTH) != 0;
  if (!shared) return true;
  return link.st_uid == uid || link.st_uid == folder.st_uid;
}

void SetLinkRuleForTesting(LinkRule rule) { g_rule.store(rule); }

bool CheckLinkMayBeFollowed(const std::filesystem::path& path, const struct stat& link,
                            std::string* error) {
  std::filesystem::path folder = path.parent_path();
  if (folder.empty()) folder = ".";
  struct stat folder_info {};
  if (::stat(folder.c_str(), &folder_info) != 0) {
    *error = folder.string() + ": stat: " + std::generic_category().message(errno);
    return false;
  }
  const LinkRule rule = g_rule.load();
  if ((rule != nullptr ? rule : MayFollowLink)(link, folder_info, ::geteuid())) return true;
  *error = path.string() +
           ": refusing a symbolic link that another user owns in a shared sticky folder "
           "(it is not followed)";
  return false;
}

bool CheckFinalLink(const std::filesystem::path& path, std::string* error) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return true;
  return CheckLinkMayBeFollowed(path, info, error);
}

bool FolderOwnerTrusted(const struct stat& folder, uid_t uid) {
  return folder.st_uid == uid || folder.st_uid == 0;
}

}  // namespace corvane::files
