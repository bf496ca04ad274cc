// The program's version, as the build names it (the project's version in CMakeLists.txt): what
// `velmora --version` says and the name a UCI front end is given.
#pragma once

const char* ProgramVersion();
