#include "console/Console.h"

#include <iostream>

std::ostream* ConsoleOut = &std::cout;
