// Linked into the sanitized program only: shared libraries stay loaded until
// the process ends.
//
// SDL loads the GL library and the X libraries when it needs them and unloads
// them when the window or the video subsystem goes; OpenAL Soft does the same
// with its sound backends, and Mesa with its driver. The leak checker runs at
// exit, after those unloads, and can then name neither the library nor the
// function of anything they left behind ("<unknown module>"), so a leak in our
// own code through one of them could not be told from the library's own.
// Defining dlclose in the program makes every library's call land here (the
// program comes first in the symbol search), and the libraries stay mapped,
// with their symbols, until after the leak check.

extern "C" int dlclose(void*) {
    return 0;
}
