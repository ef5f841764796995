// The rule for following a symbolic link that the kernel applies in sticky world-writable
// folders such as /tmp (fs.protected_symlinks), for the writers that resolve or inspect a
// path's last link themselves and so would bypass the kernel's own check: the profile writer,
// the snapshot writer and the log opener. Also which owners a log folder may have.
//
// Pure functions and one process-wide hook for tests; any thread (the hook is set before the
// writers it should affect run).
#pragma once

#include <sys/stat.h>
#include <sys/types.h>

#include <filesystem>
#include <string>

namespace corvane::files {

// True when user `uid` may follow the link whose lstat(2) is `link`, found in the folder whose
// stat(2) is `folder`: always outside sticky world-writable folders; inside one only when the
// link belongs to that user or to the folder's owner. Another user could otherwise plant a
// link in /tmp that sends a victim's write to any file the victim may write.
bool MayFollowLink(const struct stat& link, const struct stat& folder, uid_t uid);

// The rule the checks below apply; tests replace it (for example to see a link as another
// user's, which a test user cannot make). nullptr puts MayFollowLink back.
using LinkRule = bool (*)(const struct stat& link, const struct stat& folder, uid_t uid);
void SetLinkRuleForTesting(LinkRule rule);

// Checks the symbolic link at `path`, whose lstat(2) is `link`, against the rule for the
// effective user. False with `*error` naming the path when the link must not be followed or
// its folder cannot be looked at.
bool CheckLinkMayBeFollowed(const std::filesystem::path& path, const struct stat& link,
                            std::string* error);

// Checks the last component of `path` when it is a symbolic link; true when it is none (or
// does not exist), as nothing is followed then.
bool CheckFinalLink(const std::filesystem::path& path, std::string* error);

// True when a folder whose stat(2) is `folder` may hold files that user `uid` writes: it
// belongs to that user or to root. A folder another user made could be changed under the
// writer at any time (links swapped in, files replaced).
bool FolderOwnerTrusted(const struct stat& folder, uid_t uid);

}  // namespace corvane::files
