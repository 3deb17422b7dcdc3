#pragma once

#include <QProcessEnvironment>

// Keeps a converter off the network, whatever a page asks of it: the markup reader already
// drops every outside address, and this holds should one slip through (or the template name
// one): a page then fails to load it at once instead of reaching out.
namespace convertersandbox {

// The environment a converter runs in: every proxy setting replaced by one that leads nowhere
// (the discard port of this machine), so nothing that honours them reaches a real proxy or
// looks a name up; no proxy exceptions.
QProcessEnvironment environment(const QProcessEnvironment &from);

// What the converter's process needs to leave the network, worked out before it is forked.
struct Exit
{
    char uidMap[32] = {};
    char gidMap[32] = {};
};
Exit prepareExit();

// In the converter's process, between fork and exec (so only system calls): a network of its
// own with nothing in it, not even a working loopback, where the system lets a process make
// one (Linux, as root or with unprivileged user namespaces). The process keeps its user and
// group ids and sees every file as before. Returns whether it did; elsewhere nothing changes.
bool leaveNetwork(const Exit &exit);

} // namespace convertersandbox
