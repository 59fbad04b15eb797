// The HTTP library's process-wide initialisation.
#pragma once

namespace ns_IXD {

// Initialises the library with all its features on the first call, from any thread; later calls return at
// once. Every transfer handle is made after it. The library is never released: it lives as long as the
// process.
void EnsureCurlInitialised();

}  // namespace ns_IXD
