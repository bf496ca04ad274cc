#include "game/Console.h"

#include <iostream>

std::ostream* ConsoleOut = &std::cout;
