#pragma once

namespace tilewright {

// The replaced file's owner, group, extended attributes and mode carry over where the process
// and the file system allow it (FAT and exFAT refuse them); the data is what matters, so a
// refusal is no failure. Only root may give a file away, but a member of the old file's group
// may keep that. The owner goes first because changing it clears the set-user-ID and
// set-group-ID bits, and the mode last, to have the last word over the ACL's mask.
void keepWhatTheFileHad(int fd, int old);

}  // namespace tilewright
