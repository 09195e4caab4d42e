#pragma once

// The relaunch after a whole-store restore was staged: a new instance of the same executable
// (same arguments) is started once this process has closed its store, so that it puts the
// staged restore in place.
namespace Relaunch {

// Has the new instance started when the process exits, or earlier by startRequested(). Ending
// the application is the caller's part; cancel() takes the request back when the application
// stays.
void requestAtExit();
void cancel();
// For the end of main(), after the store has been closed: starts the requested new instance
// now. Returns true when one was started.
bool startRequested();

}  // namespace Relaunch
