#pragma once
// SIGTERM, SIGINT and SIGHUP (logout, system shutdown, Ctrl+C, a closed
// terminal) end the program as its close button does. The handler only notes
// the signal; the event pump turns it into a close, and a message box that is
// up when it comes is taken down (see SdlDialogs).

namespace platform {

class SignalWatcher {
public:
    // Installs the handlers for the life of the object (one at a time).
    SignalWatcher();
    ~SignalWatcher();
    SignalWatcher(const SignalWatcher&) = delete;
    SignalWatcher& operator=(const SignalWatcher&) = delete;

    // A signal has come during this run (it stays so).
    static bool Caught();
    // True once for each signal not yet turned into a close.
    static bool TakeCloseRequest();
    // Becomes readable when a signal comes; -1 without a watcher.
    static int WakeDescriptor();
};

}  // namespace platform
