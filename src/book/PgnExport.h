// Games in PGN's export format, as other chess programs read them.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "board/Board.h"
#include "board/Move.h"

using PgnTags = std::vector<std::pair<std::string, std::string>>;

// One game: the seven-tag roster (Event, Site, Date, Round, White, Black, Result) with the
// values of `tags`, or "?" ("????.??.??" for the date, "*" for the result) where they are
// missing or empty; SetUp and FEN for a game that starts elsewhere than the initial position;
// then the moves in standard algebraic notation with check marks and move numbers, in lines of
// at most 79 characters, and the result. `moves` are legal moves played from `start`.
std::string ExportGame(const PgnTags& tags, const Board& start, const std::vector<Move>& moves);

// The moves alone, as ExportGame writes them: standard algebraic notation with check marks and
// move numbers ("1. e4 e5 2. Nf3", "12... Kg8" from a position with Black to move), in lines of
// at most 79 characters, each with its line end; empty without moves.
std::string MoveText(const Board& start, const std::vector<Move>& moves);
