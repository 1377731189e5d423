// OLE on the interface thread. The shell's launches may hand over to extensions that need it, the
// folder dialog requires it and the picture loader uses it, so the first of them starts it and
// it stays for the rest of the run: starting and stopping it around each call would unload and
// reload the libraries every time, and a stop while the shell still holds objects is unsafe.
#pragma once

namespace toolkit {

// Initialises OLE, apartment-threaded, on the calling thread the first time it is called there;
// later calls do nothing. True when OLE is (now or already) initialised on this thread.
bool EnsureOle();

} // namespace toolkit
