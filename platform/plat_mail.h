#pragma once
// Bug-report mail through the desktop's mail composer (xdg-email), started
// with an argument vector, never through a shell.
#include <string>

namespace plat {

// Opens a composer for the message and waits for xdg-email to return.
// Returns 0 when it was started and ended with status 0; ENOENT when
// xdg-email is missing; another errno value, or -1 for a non-zero exit.
int send_mail(const std::string& address, const std::string& subject, const std::string& body,
              int* exit_status = nullptr);

} // namespace plat
