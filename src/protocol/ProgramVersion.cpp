#include "protocol/ProgramVersion.h"

// The build defines it for this file alone, so that a new version recompiles nothing else.
#ifndef VELMORA_VERSION
#error "VELMORA_VERSION comes from the project's version in CMakeLists.txt"
#endif

const char* ProgramVersion() { return VELMORA_VERSION; }
