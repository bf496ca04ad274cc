// Standard input, shared by every reader of the console game in the order in which they read:
// move lines, promotion answers and the overwrite question.
#pragma once

#include <istream>
#include <string>

// The stream read; standard input unless a test says otherwise.
extern std::istream* ConsoleIn;

// The console reads `bytes` first, then the rest of its stream: what the program took from
// standard input before it knew it would play at the console.
void PrependConsoleInput(std::string bytes);

// One line without its line end (and without a carriage return before it). False at the end
// of input when nothing was read.
bool ReadConsoleLine(std::string& line);
// One character, or EOF at the end of input.
int ReadConsoleChar();
// A blank-delimited word and the character after it (the line end); empty at the end of input.
std::string ReadConsoleWord();
// Before a turn. At a terminal, input typed ahead is thrown away; from a pipe or a file only
// the rest of a line that was partly read, so that scripted input is never lost.
void DiscardTypedAhead();
