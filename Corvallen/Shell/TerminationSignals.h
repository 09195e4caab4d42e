#pragma once

// Turns SIGTERM, SIGINT and SIGHUP into a normal quit of the event loop, so that a session
// logout, `kill` or Ctrl+C in a terminal saves and closes the store like the Quit command
// does. Call once, after the application object exists.
namespace TerminationSignals {

void quitOnSignals();

}  // namespace TerminationSignals
