// Keeping a port to ourselves, and staying away from one that another program holds.
#pragma once

namespace trelvin2 {

// Claims the open port fd for this program alone. False, with nothing claimed, when another
// descriptor already holds it: its exclusive flag is set (TIOCEXCL: screen, libserialport) or it
// is flock()ed (pyserial, picocom, libserialport).
bool ClaimExclusive(int fd);

// Gives up the claim before close: on a pty the exclusive flag would outlive our descriptor.
void ReleaseExclusive(int fd);

}  // namespace trelvin2
