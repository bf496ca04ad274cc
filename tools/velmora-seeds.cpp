// velmora-seeds: writes the seeds of the fuzz corpora (tests/fuzz/corpus) that hold whole games:
// random legal games of hundreds of moves, played out until the rules end them, in the forms each
// target reads (PGN and the log's own dialect, the console's typed moves, xboard and UCI sessions
// with clocks, analysis and pondering, the clock target's long games, FEN positions deep in a
// game). The games are the same on every run. Run by hand from the source folder when the forms
// change: build/velmora-seeds
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "board/Fen.h"
#include "board/Rules.h"
#include "board/San.h"
#include "book/GameRecord.h"
#include "book/PGNWriter.h"

namespace {

const std::filesystem::path CORPUS = "tests/fuzz/corpus";

// Between two bursts of a front end's lines (see FrontEnd.h), after a line's end: one empty line
// ("go\n\n") holds the next burst until the engine waits for it; two ("go infinite\n\n\nstop")
// send it at the engine's first look while it thinks, three at its second look.
const std::string AT_SECOND_LOOK = "\n\n\n";

// A game played to its end: the record, and how it ended.
struct PlayedGame {
  GameRecord record;
  std::string ending;  // "mate", "stalemate", "repetition", "fifty", "dead" or "long"
  std::string result;  // "1-0", "0-1", "1/2-1/2" or "*"
};

// The game of `seed`: the opening moves (coordinate text) and then random legal moves until
// the board or a draw rule ends the game, or `maxPlies` have been played.
PlayedGame RandomGame(std::uint32_t seed, const std::vector<std::string>& opening, int maxPlies) {
  PlayedGame game;
  std::mt19937 random(seed);
  for (const std::string& text : opening) {
    Move move;
    if (FindCoordinateMove(game.record.Position(), text, move)) game.record.Play(move);
  }
  game.ending = "long";
  game.result = "*";
  while (game.record.Plies() < maxPlies) {
    const Board& position = game.record.Position();
    if (StandingOf(position) == Standing::CHECKMATE) {
      game.ending = "mate";
      game.result = position.sideToMove == WHITE ? "0-1" : "1-0";
      break;
    }
    if (StandingOf(position) == Standing::STALEMATE) {
      game.ending = "stalemate";
      game.result = "1/2-1/2";
      break;
    }
    const GameRecord::Draw draw = game.record.DrawByRule();
    if (draw != GameRecord::Draw::NONE) {
      game.ending = draw == GameRecord::Draw::REPETITION    ? "repetition"
                    : draw == GameRecord::Draw::FIFTY_MOVES ? "fifty"
                                                            : "dead";
      game.result = "1/2-1/2";
      break;
    }
    const std::vector<Move> moves = LegalMoves(position);
    game.record.Play(moves[random() % moves.size()]);
  }
  game.record.SetResult(game.result);
  return game;
}

// The first game from seed 1 on that ends as `ending` after at least `minPlies` moves.
PlayedGame GameEndingIn(const std::string& ending, int minPlies,
                        const std::vector<std::string>& opening = {}) {
  for (std::uint32_t seed = 1;; ++seed) {
    PlayedGame game = RandomGame(seed, opening, 1000);
    if (game.ending == ending && game.record.Plies() >= minPlies) {
      std::cout << ending << ": seed " << seed << ", " << game.record.Plies() << " plies\n";
      return game;
    }
  }
}

std::string Coordinates(const GameRecord& record, int from = 0, int to = -1) {
  std::string text;
  if (to < 0) to = record.Plies();
  for (int ply = from; ply < to; ++ply)
    text +=
        (text.empty() ? "" : " ") + CoordinateText(record.Moves()[static_cast<std::size_t>(ply)]);
  return text;
}

std::string Clock(int seconds) {
  char text[16];
  std::snprintf(text, sizeof text, "%d:%02d:%02d", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

void Write(const std::string& target, const std::string& name, const std::string& text) {
  std::filesystem::create_directories(CORPUS / target);
  std::ofstream(CORPUS / target / name, std::ios::binary) << text;
  std::cout << target << '/' << name << ": " << text.size() << " bytes\n";
}

// Standard PGN: tags, numbered SAN moves, and, when `annotated`, a clock comment after every
// move, a glyph, a comment, a variation and a line comment now and then.
std::string Pgn(const PlayedGame& game, const std::string& event, bool annotated) {
  const GameRecord& record = game.record;
  std::ostringstream text;
  text << "[Event \"" << event << "\"]\n[Site \"?\"]\n[Date \"2024.01.01\"]\n[Round \"1\"]\n"
       << "[White \"Random, A.\"]\n[Black \"Random, B.\"]\n[Result \"" << game.result << "\"]\n"
       << "[TimeControl \"600+5\"]\n[PlyCount \"" << record.Plies() << "\"]\n\n";
  int column = 0;
  const auto put = [&text, &column](const std::string& token) {
    if (column + token.size() + 1 > 79) {
      text << '\n';
      column = 0;
    } else if (column > 0) {
      text << ' ';
      column += 1;
    }
    text << token;
    column += static_cast<int>(token.size());
  };
  // The move numbers go on from the start position's.
  const std::string fen = WriteFen(record.StartPosition());
  const int firstMove = std::stoi(fen.substr(fen.rfind(' ') + 1));
  const int blackFirst = record.StartPosition().sideToMove == BLACK;
  for (int ply = 0; ply < record.Plies(); ++ply) {
    const Board& before = record.PositionBefore(ply);
    const Move& move = record.Moves()[static_cast<std::size_t>(ply)];
    const int number = firstMove + (ply + blackFirst) / 2;
    if (ply == 0 && blackFirst) put(std::to_string(number) + "...");
    if ((ply + blackFirst) % 2 == 0) put(std::to_string(number) + ".");
    put(SanText(before, move));
    if (!annotated) continue;
    put("{[%clk " + Clock(600 - ply * 2 + (ply % 7) * 5) + "]}");
    if (ply % 37 == 5) put(ply % 2 == 0 ? "$1" : "$6");
    if (ply % 53 == 20) put("{a quiet move; the position stays balanced}");
    if (ply % 61 == 30 && ply + 1 < record.Plies()) {
      // Another move of the same side instead: a variation.
      for (const Move& other : LegalMoves(before)) {
        if (other == move) continue;
        put("(" + std::to_string(number) + ((ply + blackFirst) % 2 == 0 ? "." : "...") + " " +
            SanText(before, other) + " $2)");
        break;
      }
    }
    if (ply % 89 == 44) {
      text << " ; the clock runs\n";
      column = 0;
    }
  }
  put(game.result);
  text << "\n\n";
  return text.str();
}

// The game as the log writes it: the program's own PGN dialect.
std::string LogDialect(const PlayedGame& game) {
  const std::filesystem::path file = std::filesystem::temp_directory_path() / "seed-log.pgn";
  std::filesystem::remove(file);
  PGNWriter log;
  if (!log.Open(file.string())) return "";
  log.date = Date{2024, 1, 1};
  game.record.WriteInto(log);
  log.Finish();
  std::ifstream in(file, std::ios::binary);
  std::stringstream text;
  text << in.rdbuf();
  std::filesystem::remove(file);
  return text.str();
}

void WritePgn(const PlayedGame& mate, const PlayedGame& fifty, const PlayedGame& dead) {
  Write("pgn", "long-games.pgn",
        Pgn(mate, "Long game 1", true) + Pgn(fifty, "Long game 2", true) +
            "% an escaped line between games\n" + Pgn(dead, "Long game 3", false));
  // A game from a position deep in another one.
  PlayedGame later;
  const int from = 60;
  later.record.Restart(fifty.record.PositionBefore(from));
  for (int ply = from; ply < fifty.record.Plies(); ++ply)
    later.record.Play(fifty.record.Moves()[static_cast<std::size_t>(ply)]);
  later.result = fifty.result;
  std::string setUp = Pgn(later, "From a position", false);
  setUp.insert(setUp.find("[TimeControl"),
               "[SetUp \"1\"]\n[FEN \"" + WriteFen(later.record.StartPosition()) + "\"]\n");
  Write("pgn", "set-up.pgn", setUp);
  Write("pgn", "log-dialect.pgn", LogDialect(mate) + LogDialect(dead));
}

// The console game of two people: coordinates and SAN by turns, with the commands that leave
// the position as it is.
void WriteConsole(const PlayedGame& game, const std::string& name) {
  const GameRecord& record = game.record;
  std::string typed = "1";
  for (int ply = 0; ply < record.Plies(); ++ply) {
    const Board& before = record.PositionBefore(ply);
    const Move& move = record.Moves()[static_cast<std::size_t>(ply)];
    if (ply == 40) typed += "help\n";
    if (ply == 90) typed += "save long\nsave long\ny\n";
    if (ply == 150) typed += "?\n";
    typed += (ply % 3 == 2 ? SanText(before, move) : CoordinateText(move)) + "\n";
  }
  typed += "quit\n";
  Write("console", name, typed);
}

// xboard: a long game in force mode, then a position of it played on the clock with "go"; the
// engine against itself; analysis.
void WriteXboard(const PlayedGame& game, const PlayedGame& other) {
  const GameRecord& record = game.record;
  std::string text = "xboard\nprotover 2\n\nnew\nforce\npost\n";
  for (int ply = 0; ply < record.Plies(); ++ply)
    text += (ply % 2 == 0 ? "usermove " : "") + Coordinates(record, ply, ply + 1) + "\n";
  text += "result " + game.result + " {the rules end it}\n\n";
  // Back into the middle of the game, and the engine plays from there on the clock.
  text += "undo\nremove\nremove\nsetboard " + WriteFen(record.PositionBefore(101)) +
          "\nlevel 40 5 0\nhard\ntime 30000\notim 30000\ngo\n\n";
  for (int move = 0; move < 12; ++move) {
    const int centiseconds = 30000 - move * 400;
    text += "time " + std::to_string(centiseconds) + "\notim " +
            std::to_string(centiseconds + 150) + "\ngo\n\n";
  }
  text += "playother\n\nforce\neasy\nlevel 0 0:30 2\nst 1\nsd 3\ngo\n\n\n?\n\n";
  Write("xboard", "long-game.txt", text);

  // The engine against itself late in a long game, near its draw rules: every "go" is a move
  // of the side to move, on the clocks, the first ones pondered.
  const GameRecord& longer = other.record;
  std::string selfPlay = "xboard\nprotover 2\n\nnew\nforce\n";
  for (int ply = 0; ply < longer.Plies() - 60; ++ply)
    selfPlay += Coordinates(longer, ply, ply + 1) + "\n";
  selfPlay += "level 0 5 3\nhard\npost\nping 1\n\n";
  for (int move = 0; move < 40; ++move) {
    const int centiseconds = 3000 - move * 70;
    selfPlay += "time " + std::to_string(centiseconds) + "\notim " +
                std::to_string(centiseconds - 50) + "\ngo\n\n";
    if (move == 10) selfPlay += "easy\nnopost\n\n";
  }
  Write("xboard", "self-play.txt", selfPlay);

  // Analysis of a long game: each move arrives while the engine analyses the position before
  // (xboard looks at its input once before it begins). The middle of the game is played in
  // force mode, and its end, a mate, analysed again.
  std::string analysis = "xboard\nprotover 2\n\nnew\nforce\npost\nanalyze\n";
  const int analysed = 60;
  for (int ply = 0; ply < analysed; ++ply) {
    analysis += AT_SECOND_LOOK + "usermove " + Coordinates(record, ply, ply + 1) + "\n";
    if (ply % 25 == 10) analysis += AT_SECOND_LOOK + ".\n";
    if (ply % 40 == 20)
      analysis += AT_SECOND_LOOK + "exclude " + Coordinates(record, ply + 1, ply + 2) + "\n";
    if (ply % 40 == 21) analysis += AT_SECOND_LOOK + "include all\n";
    if (ply % 70 == 35) {
      analysis += AT_SECOND_LOOK + "undo\n" + AT_SECOND_LOOK + "usermove " +
                  Coordinates(record, ply, ply + 1) + "\n";
    }
  }
  analysis += AT_SECOND_LOOK + "exit\n\n";
  for (int ply = analysed; ply < record.Plies() - 4; ++ply)
    analysis += "usermove " + Coordinates(record, ply, ply + 1) + "\n";
  analysis += "analyze\n";
  for (int ply = record.Plies() - 4; ply < record.Plies(); ++ply)
    analysis += AT_SECOND_LOOK + "usermove " + Coordinates(record, ply, ply + 1) + "\n";
  analysis += AT_SECOND_LOOK + "exit\n";
  Write("xboard", "analysis.txt", analysis);
}

// UCI: a front end's game, the position sent in full before every move of the engine, the
// clocks going down; then analysis, pondering and several lines deep in the game.
void WriteUci(const PlayedGame& game, const PlayedGame& other) {
  const GameRecord& record = game.record;
  std::string text = "uci\n\nsetoption name Ponder value true\nisready\n\nucinewgame\n";
  int milliseconds = 180000;
  for (int ply = 1; ply <= 60 && ply <= record.Plies(); ply += 2) {
    text += "position startpos moves " + Coordinates(record, 0, ply) + "\ngo wtime " +
            std::to_string(milliseconds) + " btime " + std::to_string(milliseconds - 700) +
            " winc 2000 binc 2000\n\n";
    milliseconds -= 1500;
  }
  Write("uci", "gui-game.txt", text);

  const GameRecord& deep = other.record;
  std::string analysis = "uci\nsetoption name Hash value 16\nsetoption name MultiPV value 3\n";
  analysis += "position startpos moves " + Coordinates(deep) + "\n";
  analysis += "go infinite\n\n\nstop\n\n";
  const std::string middle = "position startpos moves " + Coordinates(deep, 0, 120) + "\n";
  analysis += middle + "go ponder wtime 40000 btime 40000 winc 1000 binc 1000\n\n\nponderhit\n\n";
  analysis += middle + "go ponder wtime 40000 btime 40000\n\nponderhit\n\n";
  analysis += "setoption name MultiPV value 1\nposition fen " + WriteFen(deep.PositionBefore(150)) +
              " moves " + Coordinates(deep, 150, 170) + "\ngo depth 5 searchmoves " +
              Coordinates(deep, 170, 171) + "\n\n";
  analysis += "go movetime 50\n\ngo mate 2\n\ngo nodes 2000 movestogo 3 wtime 900 btime 900\n\n";
  analysis += "ucinewgame\nposition startpos moves " + Coordinates(record) + "\ngo infinite\n\n";
  analysis += "stop\n\nisready\n";
  Write("uci", "analysis-long.txt", analysis);
}

// The clock target: the engine against itself on every kind of clock, and searches deep in a
// long game.
void WriteClock(const PlayedGame& game) {
  const GameRecord& record = game.record;
  // The first moves of the random game, so that the engine's games do not repeat themselves,
  // and most of it, for the end of a long game with its draw rules near.
  const std::string opening = "moves " + Coordinates(record, 0, 30) + "\n";
  const std::string late = "moves " + Coordinates(record, 0, record.Plies() - 40) + "\n";
  Write("clock", "sudden-death.txt", "step 500\n" + opening + "play 400 wtime 30000 btime 30000\n");
  Write("clock", "increment.txt",
        "step 300\n" + late + "play 300 wtime 5000 btime 4000 winc 700 binc 700 multipv 2\n");
  Write("clock", "moves-to-go.txt",
        "step 700\nmoves e2e4 c7c5\nplay 150 wtime 20000 btime 20000 movestogo 12\n");
  Write("clock", "fixed-time.txt", "step 150\n" + late + "play 200 movetime 700\n");
  std::string deep = "step 300\nmoves " + Coordinates(record) + "\n";
  deep += "fen " + WriteFen(record.PositionBefore(120)) + " moves " +
          Coordinates(record, 120, 140) + "\n";
  deep += "go infinite stop 3\ngo ponder wtime 9000 btime 9000 ponderhit 2\n";
  deep += "go wtime 3000 btime 3000 multipv 3 searchmoves " + Coordinates(record, 140, 141) +
          "\ngo mate 3 depth 6\ngo nodes 3000\nstep 2000\ngo movetime 100\n";
  deep += "step 50\nplay 60 wtime 800 btime 800 winc 10 binc 10\n";
  Write("clock", "deep-game.txt", deep);
}

void WriteFens(const PlayedGame& game) {
  const GameRecord& record = game.record;
  for (const int ply : {80, 161, 240}) {
    if (ply >= record.Plies()) continue;
    Write("fen", "ply-" + std::to_string(ply) + ".fen", WriteFen(record.PositionBefore(ply)));
  }
}

}  // namespace

int main() {
  if (!std::filesystem::is_directory(CORPUS)) {
    std::cerr << "run from the source folder: " << CORPUS.string() << " is missing\n";
    return 1;
  }
  const std::vector<std::string> ruyLopez = {"e2e4", "e7e5", "g1f3", "b8c6", "f1b5", "a7a6"};
  const PlayedGame mate = GameEndingIn("mate", 250, ruyLopez);
  const PlayedGame fifty = GameEndingIn("fifty", 200);
  const PlayedGame dead = GameEndingIn("dead", 150, {"d2d4", "d7d5", "c2c4"});
  WritePgn(mate, fifty, dead);
  WriteConsole(mate, "two-people-long.txt");
  WriteConsole(fifty, "two-people-fifty-moves.txt");
  WriteXboard(mate, fifty);
  WriteUci(mate, fifty);
  WriteClock(fifty);
  WriteFens(fifty);
  return 0;
}
