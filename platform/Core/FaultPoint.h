#pragma once

// Named places where a crash would hurt most (between a commit and the
// removal of what it took in, say). In builds made for testing, the
// environment variable CORVINA_CRASH_AT ("point" or "point@N" for the N-th
// time it is reached) ends the process right there with SIGKILL, as a power
// cut or the out-of-memory killer would; tests then check that nothing was
// lost or doubled. In other builds these calls compile to nothing.
namespace faultpoint {

#ifdef CORVINA_FAULT_POINTS
void reach(const char* point);
#else
inline void reach(const char*) {}
#endif

} // namespace faultpoint
