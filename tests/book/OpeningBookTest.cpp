// Opening books: the program's own format (how observations are counted and chosen, the bytes of
// a file, files that cannot be trusted), the polyglot format, and the createbook command of the
// real program that writes both, with the default book that the build makes.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iostream>
#include <map>
#include <tuple>

#include "board/San.h"
#include "board/SquareText.h"
#include "book/OpeningBook.h"
#include "book/Outcome.h"
#include "book/PolyglotBook.h"
#include "support/ChildProcess.h"
#include "support/ConsoleCapture.h"
#include "support/TestBoards.h"

namespace {

// Reads an opening book as the program does: its entries on the console, or the reason it
// cannot be used on standard error; a book that cannot be read stays empty.
std::unique_ptr<OpeningBook> ReadOpeningBook(const std::string& fileName) {
  auto book = std::make_unique<OpeningBook>();
  if (std::string error; book->Load(fileName, error))
    *ConsoleOut << book->EntriesLine();
  else
    std::cerr << error << '\n';
  return book;
}

// Enters `move` ("e2e4") of the position as one observation.
void Enter(OpeningBook& book, const Board& board, const char* text, int outcome) {
  book.AddMove(GeneratedMove(board, text), board.HashKey(), board.HashLock(), outcome,
               board.sideToMove);
}

std::tuple<bool, int, int> Summary(const BookChoice& probe) {
  return {probe.move.has_value(), probe.choice, probe.candidates};
}

std::string Word(std::int32_t value) {
  std::string bytes(4, '\0');
  for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(value >> (8 * i));
  return bytes;
}

// An entry record as the file holds it.
std::string Record(int good, int neutral, std::uint32_t lock, const Move& m) {
  std::string record(1, '\0');
  for (std::int32_t value : {good, neutral, static_cast<std::int32_t>(lock), m.captured, m.to,
                             m.score, m.scoreType, m.flags, m.piece, m.depth, m.from})
    record += Word(value);
  return record;
}

// A book file: the records of the buckets named, all others empty.
std::string Image(const std::map<int, std::string>& white,
                  const std::map<int, std::string>& black) {
  std::string image = Word(TABLE_SIZE);
  for (const auto* side : {&white, &black})
    for (int bucket = 0; bucket < TABLE_SIZE; ++bucket) {
      if (const auto records = side->find(bucket); records != side->end()) image += records->second;
      image += bucket + 1 < TABLE_SIZE ? '\x02' : side == &white ? '\x03' : '\x01';
    }
  return image;
}

TEST(OpeningBook, OutcomesAreCountedPerMoveAndLostGamesLeaveNoTrace) {
  // The bucket of a negative key keeps its sign: -1 goes to 1, not to 1023.
  EXPECT_EQ(OpeningBook::BucketIndex(-1), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(1025), 1);
  EXPECT_EQ(OpeningBook::BucketIndex(-2147483648LL), 0);

  OpeningBook book;
  const Board start;
  EXPECT_FALSE(book.Probe(start).move);
  Enter(book, start, "e2e4", OUTCOME_GOOD);
  Enter(book, start, "e2e4", OUTCOME_NEUTRAL);
  EXPECT_EQ(Summary(book.Probe(start)), std::tuple(true, 1, 1));
  // The same placement with the other side to move is another position.
  Board black = start;
  black.sideToMove = BLACK;
  EXPECT_EQ(Summary(book.Probe(black)), std::tuple(false, 0, 0));

  // A won game weighs twice as much as a draw.
  Enter(book, start, "d2d4", OUTCOME_NEUTRAL);
  Enter(book, start, "d2d4", OUTCOME_NEUTRAL);
  std::srand(12345);
  int e4 = 0;
  for (int i = 0; i < 3000; ++i) e4 += book.Probe(start).move->from == At("e2");
  EXPECT_NEAR(e4 / 3000.0, 3.0 / 5.0, 0.04);
  EXPECT_EQ(book.Probe(start).candidates, 2);

  // A move is handed out only where it is legal: a lock shared by another position, or a
  // foreign file, may hold any move.
  OpeningBook foreign;
  Move impossible = GeneratedMove(start, "e2e4");
  impossible.to = At("e5");
  foreign.AddMove(impossible, start.HashKey(), start.HashLock(), OUTCOME_GOOD, WHITE);
  EXPECT_FALSE(foreign.Probe(start).move);
  Enter(foreign, start, "d2d4", OUTCOME_NEUTRAL);
  for (int i = 0; i < 20; ++i) EXPECT_EQ(CoordinateText(*foreign.Probe(start).move), "d2d4");
}

// The bytes of an empty book and of a record whose every field is distinct: what is read is
// written again byte for byte.
TEST(OpeningBook, RecordsRoundTrip) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const std::string file = (directory.Path() / "book.bin").string();
  std::string error;
  ASSERT_TRUE(OpeningBook().Save(file, error));
  EXPECT_EQ(directory.Read("book.bin"), Image({}, {}));
  EXPECT_EQ(ReadOpeningBook(file)->entryCount, 0);
  EXPECT_EQ(console.Take(), "OpeningsBook =             0 entries\n");

  Move move;
  std::tie(move.captured, move.to, move.score, move.scoreType, move.flags, move.piece, move.depth,
           move.from) = std::tuple(BN, 21, 0x0708, 9, MOVE_CAPTURE + PROMOTE_ROOK, WN, 13, 11);
  OpeningBook book;
  for (int outcome : {OUTCOME_GOOD, OUTCOME_GOOD, OUTCOME_NEUTRAL, OUTCOME_NEUTRAL})
    book.AddMove(move, 5, 0x0A0B0C0D, outcome, BLACK);
  ASSERT_TRUE(book.Save(file, error));
  const std::string image = directory.Read("book.bin");
  EXPECT_EQ(image, Image({}, {{5, Record(2, 2, 0x0A0B0C0D, move)}}));
  ASSERT_TRUE(ReadOpeningBook(file)->Save(file, error));  // read, then written again
  EXPECT_EQ(directory.Read("book.bin"), image);
}

// A file cut short, with a table of another size, with records whose move fields lie outside
// the board, or missing, leaves the book empty with the reason; a foreign file may hold
// candidates without any weight, and one of them is taken all the same.
TEST(OpeningBook, DamagedFilesLeaveTheBookEmpty) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const Board start;
  const int at = 4 + OpeningBook::BucketIndex(start.HashKey());  // the record of 1. e4
  const std::string image =
      Image({{at - 4, Record(0, 1, start.HashLock(), GeneratedMove(start, "e2e4"))}}, {});
  const auto loadError = [&](const std::string& content) {
    StreamCapture errors(std::cerr);
    EXPECT_EQ(ReadOpeningBook(directory.Write("bad.bin", content).string())->entryCount, 0);
    return errors.Take();
  };
  std::string weightless = image;
  weightless[at + 5] = '\0';  // the neutral count
  const auto book = ReadOpeningBook(directory.Write("weightless.bin", weightless).string());
  EXPECT_EQ(CoordinateText(*book->Probe(start).move), "e2e4");
  const std::string damaged = "OpeningBook file is damaged!\n";
  EXPECT_EQ(loadError(image.substr(0, image.size() - 1)), damaged);  // no end marker
  EXPECT_EQ(loadError(image.substr(0, at + 30)), damaged);           // within a record
  EXPECT_EQ(loadError(Word(TABLE_SIZE) + std::string(1100, '\x02')), damaged);
  EXPECT_EQ(loadError("ab"), damaged);
  for (std::size_t field : {13u, 17u, 29u, 33u, 41u}) {  // captured, to, flags, piece, from
    std::string outside = image;
    outside.replace(at + field, 4, std::string("\x24\x00\x85\x00", 4));
    EXPECT_EQ(loadError(outside), damaged) << field;
  }
  EXPECT_EQ(loadError(std::string("\xff\x03\x00\x00", 4)), "TABLE_SIZE of file is not correct\n");
  StreamCapture errors(std::cerr);
  ReadOpeningBook((directory.Path() / "missing.bin").string());
  EXPECT_EQ(errors.Take(), "Can't load OpeningBook!\n");
}

// Keys 7, 1031 and -7 share bucket 7, where only the lock tells positions apart; each move of a
// position has one entry, which keeps the place where it was first seen.
TEST(OpeningBook, PositionsSharingABucketKeepTheirOwnEntriesInTheOrderFirstSeen) {
  const Board start;
  const Move e4 = GeneratedMove(start, "e2e4"), d4 = GeneratedMove(start, "d2d4");
  Move scored = e4;  // the same move for the book: the search's fields do not count
  std::tie(scored.score, scored.scoreType, scored.depth) = std::tuple(55, 1, 3);
  OpeningBook book;
  const std::tuple<std::int64_t, std::uint32_t, Move, int, Color> observations[] = {
      {7, 1, e4, OUTCOME_GOOD, WHITE},          {1031, 2, e4, OUTCOME_NEUTRAL, WHITE},
      {-7, 1, d4, OUTCOME_NEUTRAL, WHITE},      {7, 2, scored, OUTCOME_GOOD, WHITE},
      {7, 1, e4, OUTCOME_GOOD, BLACK},          {7, 1, e4, OUTCOME_BAD, WHITE},
      {1031, 1, d4, OUTCOME_GOOD, WHITE},       {8, 1, e4, OUTCOME_NEUTRAL, WHITE},
      {1031, 1, scored, OUTCOME_NEUTRAL, WHITE}};
  for (const auto& [key, lock, move, outcome, side] : observations)
    book.AddMove(move, key, lock, outcome, side);
  EXPECT_EQ(book.entryCount, 5);
  EXPECT_EQ(book.maxCollisions, 2);  // d4 stands behind both e4 entries of its bucket

  TemporaryDirectory directory;
  ConsoleCapture console;
  const std::string file = (directory.Path() / "book.bin").string();
  std::string error;
  ASSERT_TRUE(book.Save(file, error));
  std::map<int, std::string> white = {
      {7, Record(1, 1, 1, e4) + Record(1, 1, 2, e4) + Record(1, 1, 1, d4)},
      {8, Record(0, 1, 1, e4)}};
  EXPECT_EQ(directory.Read("book.bin"), Image(white, {{7, Record(1, 0, 1, e4)}}));
  // A book read from a file goes on counting in its entries.
  const std::unique_ptr<OpeningBook> again = ReadOpeningBook(file);
  again->AddMove(d4, 7, 1, OUTCOME_NEUTRAL, WHITE);
  again->AddMove(d4, 7, 3, OUTCOME_NEUTRAL, WHITE);
  EXPECT_EQ(std::pair(again->entryCount, again->maxCollisions), std::pair(6, 3));
  ASSERT_TRUE(again->Save(file, error));
  white[7] = Record(1, 1, 1, e4) + Record(1, 1, 2, e4) + Record(1, 2, 1, d4) + Record(0, 1, 3, d4);
  EXPECT_EQ(directory.Read("book.bin"), Image(white, {{7, Record(1, 0, 1, e4)}}));

  // A probe offers the moves of the bucket under the position's lock, in the bucket's order:
  // another lock in the bucket or the lock in another bucket is another position.
  const std::int64_t key = start.HashKey();
  const std::uint32_t lock = start.HashLock();
  const int bucket = OpeningBook::BucketIndex(key);
  OpeningBook probed;
  const std::tuple<std::int64_t, std::uint32_t, const char*, int> entries[] = {
      {key, lock, "g1f3", OUTCOME_NEUTRAL},
      {bucket + 1024, lock + 1, "b1c3", OUTCOME_GOOD},
      {key, lock, "e2e4", OUTCOME_GOOD},
      {bucket + 1, lock, "a2a3", OUTCOME_GOOD},
      {bucket + 2048, lock, "h2h3", OUTCOME_NEUTRAL},
      {key, lock, "d2d4", OUTCOME_NEUTRAL},
      {key, lock, "g1f3", OUTCOME_GOOD}};
  for (const auto& [k, l, text, outcome] : entries)
    probed.AddMove(GeneratedMove(start, text), k, l, outcome, WHITE);
  std::srand(99);
  std::map<int, std::string> places;
  for (int i = 0; i < 400; ++i) {
    const BookChoice probe = probed.Probe(start);
    ASSERT_EQ(probe.candidates, 4);
    places[probe.choice] = CoordinateText(*probe.move);
  }
  EXPECT_EQ(places,
            (std::map<int, std::string>{{1, "g1f3"}, {2, "e2e4"}, {3, "h2h3"}, {4, "d2d4"}}));
}

const std::string SAMPLE_DIR = VELMORA_TEST_DATA "/book/data/";

std::string ReadFile(const std::string& file) {
  std::ifstream in(file, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A polyglot entry as a file holds it: everything most significant byte first.
std::string Entry(std::uint64_t key, std::uint16_t move, std::uint16_t weight) {
  std::string bytes;
  for (int i = 7; i >= 0; --i) bytes += static_cast<char>(key >> (8 * i));
  bytes += static_cast<char>(move >> 8);
  bytes += static_cast<char>(move);
  bytes += static_cast<char>(weight >> 8);
  bytes += static_cast<char>(weight);
  return bytes + std::string(4, '\0');
}

// A polyglot move from its coordinates ("e1h1", "a7a8" with a promotion 1..4).
std::uint16_t Coded(const char* text, int promotion = 0) {
  const auto square = [](const char* s) { return (s[1] - '1') * 8 + (s[0] - 'a'); };
  return static_cast<std::uint16_t>(square(text + 2) | square(text) << 6 | promotion << 12);
}

// "e2e4:3 d2d4:1": the candidates as coordinates and weights, sorted.
std::string Listed(std::vector<BookCandidate> candidates) {
  std::vector<std::string> texts;
  for (const BookCandidate& candidate : candidates)
    texts.push_back(CoordinateText(candidate.move) + ":" + std::to_string(candidate.weight));
  std::sort(texts.begin(), texts.end());
  std::string listed;
  for (const std::string& text : texts) listed += (listed.empty() ? "" : " ") + text;
  return listed;
}

// The published keys of the format, with and without an en passant capture at hand, after
// the king's moves that lose the castling rights, and after an en passant capture.
TEST(PolyglotBook, KeysOfThePublishedPositions) {
  const std::pair<const char*, std::uint64_t> published[] = {
      {"rnbqkbnr/pppppppp/8/8/8/8/PPPPPPPP/RNBQKBNR w KQkq - 0 1", 0x463b96181691fc9c},
      {"rnbqkbnr/pppppppp/8/8/4P3/8/PPPP1PPP/RNBQKBNR b KQkq e3 0 1", 0x823c9b50fd114196},
      {"rnbqkbnr/ppp1pppp/8/3p4/4P3/8/PPPP1PPP/RNBQKBNR w KQkq d6 0 2", 0x0756b94461c50fb0},
      {"rnbqkbnr/ppp1pppp/8/3pP3/8/8/PPPP1PPP/RNBQKBNR b KQkq - 0 2", 0x662fafb965db29d4},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPP1PPP/RNBQKBNR w KQkq f6 0 3", 0x22a48b5a8e47ff78},
      {"rnbqkbnr/ppp1p1pp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR b kq - 0 3", 0x652a607ca3f242c1},
      {"rnbq1bnr/ppp1pkpp/8/3pPp2/8/8/PPPPKPPP/RNBQ1BNR w - - 0 4", 0x00fdd303c946bdd9},
      {"rnbqkbnr/p1pppppp/8/8/PpP4P/8/1P1PPPP1/RNBQKBNR b KQkq c3 0 3", 0x3c8123ea7b067637},
      {"rnbqkbnr/p1pppppp/8/8/P6P/R1p5/1P1PPPP1/1NBQKBNR b Kkq - 0 4", 0x5c3f9b829b279560},
  };
  for (const auto& [fen, key] : published) EXPECT_EQ(PolyglotKey(FromFen(fen)), key) << fen;

  // Played rather than set up: the same keys, a castled king's crossed squares left out.
  Board board;
  Play(board, {"e2e4", "d7d5", "e4e5", "f7f5"});
  EXPECT_EQ(PolyglotKey(board), 0x22a48b5a8e47ff78u);
  Board castled;
  Play(castled, {"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "e1g1"});
  EXPECT_EQ(
      PolyglotKey(castled),
      PolyglotKey(FromFen("r1bqk1nr/pppp1ppp/2n5/2b1p3/2B1P3/5N2/PPPP1PPP/RNBQ1RK1 b kq - 1 4")));
}

// Entries of a hand-made file: castling as the king taking its rook (and as its two steps, as
// some books write it), promotions, a move of weight 0, moves that are not legal there and the
// null move are what a reader meets; only legal moves of some weight are candidates.
TEST(PolyglotBook, EntriesBecomeTheLegalMovesTheyName) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  const Board castling = FromFen("r3k2r/8/8/8/8/8/8/R3K2R w KQkq - 0 1");
  const Board promotion = FromFen("4k3/P7/8/8/8/8/8/4K3 w - - 0 1");
  const std::uint64_t c = PolyglotKey(castling), p = PolyglotKey(promotion);
  // e1c1 stands for e1a1, e1g1 for e1h1 again.
  const std::string castles = Entry(c, Coded("e1h1"), 5) + Entry(c, Coded("e1c1"), 4) +
                              Entry(c, Coded("e1g1"), 3) + Entry(c, Coded("a1a8"), 0) +
                              Entry(c, Coded("e1e3"), 9) + Entry(c, 0, 9);
  const std::string promotes =
      Entry(p, Coded("a7a8", 1), 2) + Entry(p, Coded("a7a8", 4), 7) + Entry(p, Coded("a7b8", 4), 7);
  const std::string image = c < p ? castles + promotes : promotes + castles;
  const auto book = ReadOpeningBook(directory.Write("book.bin", image).string());
  EXPECT_EQ(console.Take(), "OpeningsBook =             9 entries\n");
  EXPECT_EQ(Listed(book->Candidates(castling)), "e1c1:4 e1g1:5");
  EXPECT_EQ(Listed(book->Candidates(promotion)), "a7a8n:2 a7a8q:7");
  EXPECT_EQ(Listed(book->Candidates(Board())), "");
  for (int i = 0; i < 20; ++i) {
    const BookChoice choice = book->Probe(castling);
    ASSERT_TRUE(choice.move);
    EXPECT_EQ(choice.move->Kind() & (MOVE_CASTLE_SHORT | MOVE_CASTLE_LONG), choice.move->Kind());
    EXPECT_EQ(choice.candidates, 2);
  }
  // The encoding of the program's own moves, castling and promotion included.
  EXPECT_EQ(PolyglotMove(GeneratedMove(castling, "e1g1")), Coded("e1h1"));
  EXPECT_EQ(PolyglotMove(GeneratedMove(castling, "e1c1")), Coded("e1a1"));
  EXPECT_EQ(PolyglotMove(GeneratedMove(promotion, "a7a8r")), Coded("a7a8", 3));
  EXPECT_EQ(PolyglotMove(GeneratedMove(FromFen("r3k3/8/8/8/8/8/8/4K3 b q - 0 1"), "e8c8")),
            Coded("e8a8"));
}

// A file that is neither kind of book is refused with the message of a foreign file, and a
// book read before stays as it was.
TEST(PolyglotBook, FilesOfNeitherKindAreRefused) {
  TemporaryDirectory directory;
  ConsoleCapture console;
  OpeningBook book;
  std::string error;
  ASSERT_TRUE(book.Load(SAMPLE_DIR + "polyglot-sample.bin", error)) << error;
  const std::string sample = ReadFile(SAMPLE_DIR + "polyglot-sample.bin");
  std::string unsorted = sample.substr(16, 16) + sample.substr(0, 16);
  const std::string foreign[] = {sample.substr(0, sample.size() - 3), unsorted,
                                 std::string(15, 'x') + '\n'};
  for (const std::string& content : foreign) {
    error.clear();
    EXPECT_FALSE(book.Load(directory.Write("bad.bin", content).string(), error));
    EXPECT_EQ(error, "TABLE_SIZE of file is not correct");
  }
  EXPECT_EQ(book.entryCount, 38);
  EXPECT_EQ(Listed(book.Candidates(Board())), "a2a4:1 e2e4:7");
}

// A book written by polyglot itself is read and probed; createbook --polyglot writes the same
// bytes from the same games, and its book offers in every position of those games the moves
// and weights of the program's own book built from them: none where only a lost game went.
TEST(PolyglotBook, CreatebookWritesWhatPolyglotWritesAndAnswersAsTheOwnBook) {
  TemporaryDirectory directory;
  const std::string pgn = SAMPLE_DIR + "polyglot-sample.pgn";
  const ProgramRun polyglot =
      RunProgram(directory, {VELMORA_BINARY, "createbook", "--polyglot", "pg.bin", "16", pgn}, "",
                 ChildProcess::Errors::WITH_OUTPUT);
  EXPECT_EQ(polyglot.status, 0) << polyglot.output;
  EXPECT_NE(polyglot.output.find(">> Entries:       38\n>> Size ( kb ):     0\n"),
            std::string::npos)
      << polyglot.output;
  EXPECT_EQ(ReadFile((directory.Path() / "pg.bin").string()),
            ReadFile(SAMPLE_DIR + "polyglot-sample.bin"));
  ASSERT_EQ(RunProgram(directory, {VELMORA_BINARY, "createbook", "own.bin", "16", pgn}).status, 0);

  ConsoleCapture console;
  const auto own = ReadOpeningBook((directory.Path() / "own.bin").string());
  const auto written = ReadOpeningBook((directory.Path() / "pg.bin").string());
  EXPECT_EQ(console.Take(),
            "OpeningsBook =            38 entries\nOpeningsBook =            38 entries\n");
  EXPECT_EQ(Listed(written->Candidates(Board())), "a2a4:1 e2e4:7");
  std::ifstream games(pgn);
  int positions = 0;
  for (std::string line; std::getline(games, line);) {
    if (line.empty() || line[0] == '[') continue;
    Board board;
    std::istringstream words(line);
    for (std::string word; words >> word;) {
      if (word.find('.') != std::string::npos) continue;
      Move move;
      std::vector<Move> candidates;
      if (ReadSan(board, word, move, candidates) != SanReading::MOVE) break;  // the result
      EXPECT_EQ(Listed(written->Candidates(board)), Listed(own->Candidates(board))) << word;
      positions += !written->Candidates(board).empty();
      PlayMove(board, move);
    }
  }
  EXPECT_GT(positions, 40);  // of 64: the comparison is not one of empty lists
}

// The console game and the engines take a polyglot book for their own: the game opens with
// one of its moves, and a UCI front end names it in BookFile.
TEST(PolyglotBook, TheGameAndTheEnginesPlayFromAPolyglotBook) {
  TemporaryDirectory directory;
  std::filesystem::copy_file(SAMPLE_DIR + "polyglot-sample.bin",
                             directory.Path() / "openingbook.bin");
  const ProgramRun console = RunProgram(directory, {VELMORA_BINARY, "black"}, "quit\n");
  EXPECT_NE(console.output.find("OpeningsBook =            38 entries\n"), std::string::npos);
  const bool bookMove = console.output.find("WP - e2e4") != std::string::npos ||
                        console.output.find("WP - d2d4") != std::string::npos ||
                        console.output.find("WP - a2a4") != std::string::npos;
  EXPECT_TRUE(bookMove) << console.output;

  std::filesystem::rename(directory.Path() / "openingbook.bin", directory.Path() / "sample.bin");
  const ProgramRun uci =
      RunProgram(directory, {VELMORA_BINARY, "uci"},
                 "uci\nsetoption name BookFile value sample.bin\n"
                 "position startpos moves e2e4 e7e5\ngo wtime 1000 btime 1000\n");
  EXPECT_NE(uci.output.find("info string book move g1f3 (1/1)\nbestmove g1f3"), std::string::npos)
      << uci.output;
}

const std::string WELCOME =
    "            Welcome to Chess!\n    ~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~~\n";
const std::string OLD_BOOK = std::string("an old book\0\x01", 13);

std::string Game(const char* result, const char* moves) {
  return std::string("[Event \"t\"]\n[Result \"") + result + "\"]\n\n" + moves + " " + result +
         "\n\n";
}

// The entries of a book file in file order: side, move, and the good and neutral counts.
std::string Entries(const std::string& image) {
  // Every field read here stays below 256.
  const auto field = [&](std::size_t at) { return static_cast<unsigned char>(image[at]); };
  std::string entries, side = "W";
  for (std::size_t at = 4; at < image.size(); ++at) {
    if (image[at] == '\x03') side = "B";
    if (image[at] != '\0') continue;
    entries += side + " " + SquareName(field(at + 41)) + SquareName(field(at + 17)) + " " +
               std::to_string(field(at + 1)) + "/" + std::to_string(field(at + 5)) + " ";
    at += 44;
  }
  return entries;
}

// createbook with the arguments (separated by blanks); standard output and standard error.
ProgramRun CreateBook(const TemporaryDirectory& directory, const std::string& arguments,
                      const std::string& input = "") {
  std::vector<std::string> words = {VELMORA_BINARY, "createbook"};
  std::istringstream in(arguments);
  for (std::string word; in >> word;) words.push_back(word);
  return RunProgram(directory, words, input, ChildProcess::Errors::WITH_OUTPUT);
}

// The temporary files a build left in the directory.
std::string Leftovers(const TemporaryDirectory& directory) {
  std::string names;
  for (const auto& file : std::filesystem::directory_iterator(directory.Path()))
    if (file.path().filename().string().find(".tmp-") != std::string::npos)
      names += file.path().filename().string() + " ";
  return names;
}

TEST(CreateBook, ReadsEverySourceAndCountsTheGames) {
  TemporaryDirectory directory;
  directory.Write("e4.pgn", Game("1-0", "1. e4 e5 2. Nf3 Nc6") +
                                Game("1/2-1/2", "1. e4 c5 2. Nf3 d6") +
                                Game("1-0", "1. e4 e6 2. d4 d5"));
  directory.Write("d4.pgn", Game("0-1", "1. d4 d5 2. c4 e6") + Game("*", "1. d4 Nf6 2. c4 g6"));
  ProgramRun run = CreateBook(directory, "book.bin 1 e4.pgn missing.pgn d4.pgn");
  EXPECT_EQ(run.status, 0);
  const std::string e4 = "Open source file ( e4.pgn ) for creation... \n>> Entries:       ";
  EXPECT_EQ(run.output, WELCOME + e4 +
                            "1\n>> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 3\n"
                            "Open source file ( missing.pgn ) for creation... \n"
                            "Can't open source file ( missing.pgn ) for creation...!\nMatches: 3\n"
                            "Open source file ( d4.pgn ) for creation... \n>> Entries:       2\n"
                            ">> Maxcollisions: 1\n>> Size ( kb ):     0\n\nMatches: 5\n");
  // Depth 1: White's first moves only; 1. e4 from two wins and a draw, 1. d4 from an
  // unfinished game (the lost game leaves nothing).
  EXPECT_EQ(Entries(directory.Read("book.bin")), "W e2e4 2/1 W d2d4 0/1 ");
  // Depth 2: of Black's replies only the drawn game's counts, once. Standard input ("-") is a
  // source too.
  ASSERT_EQ(CreateBook(directory, "two.bin 2 -", directory.Read("e4.pgn")).status, 0);
  EXPECT_EQ(Entries(directory.Read("two.bin")), "W e2e4 2/1 B c7c5 0/1 ");
  // Games that give no entry (White's first move in a lost game) still make a book, empty.
  directory.Write("lost.pgn", Game("0-1", "1. f3 e5 2. g4 Qh4#"));
  ASSERT_EQ(CreateBook(directory, "empty.bin 1 lost.pgn").status, 0);
  EXPECT_EQ(directory.Read("empty.bin").size(), 2052u);
}

// Too few arguments, a build that reads no game, or one that fails, leaves an existing book as
// it was and no temporary file; a named FIFO, which would hold the build until some writer
// came, is refused like a missing file.
TEST(CreateBook, AFailedBuildKeepsTheOldBook) {
  TemporaryDirectory directory;
  directory.Write("keep.bin", OLD_BOOK);
  std::filesystem::create_directory(directory.Path() / "folder");
  ASSERT_EQ(mkfifo((directory.Path() / "fifo.pgn").c_str(), 0600), 0);
  directory.Write("empty.pgn", "");
  directory.Write("binary.pgn", std::string("\x7F\x45LF\x02\x01\x01\0\0\xFF\xFE{\x90", 13));
  directory.Write("bad.pgn", Game("1-0", "1. e4 e5 2. Ke3"));
  directory.Write("good.pgn", Game("1-0", "1. e4 e5"));
  const std::string none =
      "No game read from the source files: the book ( keep.bin ) is not written!\n";
  const std::string cannot = "Can't open source file ( ";
  const std::pair<const char*, std::string> cases[] = {
      {"keep.bin 16",
       WELCOME + "Not enough parameters for openingbookcreation !\nParameter 1: \"createbook\"\n"
                 "Parameter 2: <destination file>\nParameter 3: <max_depth>\n"
                 "Parameter 4..n: <source file>\n"},
      {"keep.bin 16 missing.pgn", cannot + "missing.pgn ) for creation...!\nMatches: 0\n" + none},
      {"keep.bin 16 folder", cannot + "folder ) for creation...!\nMatches: 0\n" + none},
      {"keep.bin 16 fifo.pgn", cannot + "fifo.pgn ) for creation...!\nMatches: 0\n" + none},
      {"keep.bin 16 empty.pgn",
       "Warning: no game found in source file ( empty.pgn )!\n>> Entries:       0\n"
       ">> Maxcollisions: 0\n>> Size ( kb ):     0\n\nMatches: 0\n" +
           none},
      {"keep.bin 16 binary.pgn missing.pgn",
       "Warning: no game found in source file ( binary.pgn )!\n"},
      // An unresolvable move ends the command before anything is written.
      {"keep.bin 4 bad.pgn",
       WELCOME + "Open source file ( bad.pgn ) for creation... \nERROR!!! PGN file is ill-formed!\n"
                 "Board::CoordToSquare() coords = \"\" must be exactly 4 or 5 characters long!\n"
                 "\n>> Fehler in PGNParser::getNextMove MatchNo: 1 MoveNo:3\n"},
      {"folder 16 good.pgn", "Can't write OpeningBook file folder (Is a directory)!\n"},
      {"nowhere/keep.bin 16 good.pgn",
       "Can't write OpeningBook file nowhere/keep.bin (No such file or directory)!\n"},
      {"keep.bin abc good.pgn",
       "The depth \"abc\" is no whole number of plies from 1 to 2147483647: "
       "the book ( keep.bin ) is not written!\n"},
      {"keep.bin 0 good.pgn", "The depth \"0\" is no whole number"},
      {"keep.bin -5 good.pgn", "The depth \"-5\" is no whole number"},
      {"keep.bin 4x good.pgn", "The depth \"4x\" is no whole number"},
      {"keep.bin 99999999999 good.pgn", "The depth \"99999999999\" is no whole number"},
      {"--polyglot keep.bin 0 good.pgn", "The depth \"0\" is no whole number"},
  };
  for (const auto& [arguments, message] : cases) {
    const ProgramRun run = CreateBook(directory, arguments);
    EXPECT_EQ(run.status, 1) << arguments;
    EXPECT_NE(run.output.find(message), std::string::npos) << run.output;
    EXPECT_EQ(directory.Read("keep.bin"), OLD_BOOK) << arguments;
    EXPECT_EQ(Leftovers(directory), "") << arguments;
  }
  // A source without a game is named, and the others make the book; it keeps the old permissions.
  std::filesystem::permissions(directory.Path() / "keep.bin", std::filesystem::perms(0604));
  const ProgramRun run = CreateBook(directory, "keep.bin 16 empty.pgn good.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_NE(run.output.find("Warning: no game found in source file ( empty.pgn )!\n"),
            std::string::npos);
  EXPECT_EQ(Entries(directory.Read("keep.bin")), "W e2e4 1/0 ");
  EXPECT_EQ(std::filesystem::status(directory.Path() / "keep.bin").permissions(),
            std::filesystem::perms(0604));
  EXPECT_EQ(Leftovers(directory), "");
}

// Ctrl-C, SIGTERM or SIGHUP in the middle of a build end it, by the signal, and leave the old
// book as it was, without a temporary file. The source is standard input, which the test
// leaves open, so the program is surely still reading it when the signal comes.
TEST(CreateBook, AnInterruptedBuildKeepsTheOldBook) {
  for (int signal : {SIGINT, SIGTERM, SIGHUP}) {
    TemporaryDirectory directory;
    directory.Write("keep.bin", OLD_BOOK);
    ChildProcess build(directory.Path(), {VELMORA_BINARY, "createbook", "keep.bin", "16", "-"});
    build.Write(Game("1-0", "1. e4 e5") + "[Event \"t\"]\n\n1. d4 d5 2. c4 ");
    // The temporary file is made once the signals would remove it.
    for (int waited = 0; Leftovers(directory).empty() && waited < 60000; waited += 10)
      usleep(10000);
    ASSERT_NE(Leftovers(directory), "") << "the program never began its book";
    build.Signal(signal);
    EXPECT_EQ(build.Wait(false), -signal);
    EXPECT_EQ(directory.Read("keep.bin"), OLD_BOOK) << signal;
    EXPECT_EQ(Leftovers(directory), "") << signal;
  }
}

TEST(CreateBook, TheDefaultBookOpensTheGameWithSeveralMoves) {
  ConsoleCapture console;
  OpeningBook book;
  std::string error;
  ASSERT_TRUE(book.Load(VELMORA_DEFAULT_BOOK, error)) << error;
  EXPECT_GT(book.entryCount, 500);
  EXPECT_GT(book.Probe(Board()).candidates, 2);
}

// Real downloads: clock comments, variations, glyphs, line comments and set-up games; a
// directory as a source; positions right after castling. The book answers along the games as
// the console game asks it (castling paths removed after every move).
TEST(CreateBook, BooksFromRealCollections) {
  TemporaryDirectory directory;
  std::filesystem::create_directory(directory.Path() / "folder");
  directory.Write(
      "real.pgn",
      "[Event \"Live\"]\n[Result \"*\"]\n\n1. e4 { [%clk 0:05:00] } 1... e5 { [%clk 0:04:59] }\n"
      "2. Nf3 $1 (2. Bc4 Nf6) 2... Nc6 ; a line comment [\n3. Bc4 Bc5 4. O-O Nf6 5. d3 d6 6. c3 "
      "*\n\n"
      "[Event \"Study\"]\n[SetUp \"1\"]\n[FEN \"4k3/8/8/8/8/8/8/R3K3 w Q - 0 1\"]\n\n1. Kb1 *\n\n"
      "[Event \"Set\"]\n[FEN \"4k3/8/8/8/8/8/8/4K2R w K - 0 1\"]\n\n1. Kf2 *\n\n"
      "[Event \"Glued\"]\n[Result \"1/2-1/2\"]\n\n1.d4 1...d5 2. c4 dxc4 1/2-1/2\n");
  const ProgramRun run = CreateBook(directory, "book.bin 16 folder real.pgn");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.output, WELCOME +
                            "Open source file ( folder ) for creation... \n"
                            "Can't open source file ( folder ) for creation...!\nMatches: 0\n"
                            "Open source file ( real.pgn ) for creation... \n>> Entries:       15\n"
                            ">> Maxcollisions: 1\n>> Size ( kb ):     0\n\nMatches: 2\n"
                            "Skipped 2 games that start from a set-up position\n");
  ConsoleCapture console;
  OpeningBook book;
  std::string error;
  ASSERT_TRUE(book.Load((directory.Path() / "book.bin").string(), error)) << error;
  for (const std::vector<std::string>& moves :
       {std::vector<std::string>{"e2e4", "e7e5", "g1f3", "b8c6", "f1c4", "f8c5", "e1g1", "g8f6",
                                 "d2d3", "d7d6", "c2c3"},
        {"d2d4", "d7d5", "c2c4", "d5c4"}}) {
    Board board;
    for (const std::string& text : moves) {
      if (board.moveNumber > 1) {
        const std::optional<Move> answer = book.Probe(board).move;
        EXPECT_EQ(answer ? CoordinateText(*answer) : "-", text);
      }
      const Move move = GeneratedMove(board, text);
      board.MakeMove(&move);
      board.RemoveCastlePath(WHITE);
      board.RemoveCastlePath(BLACK);
    }
  }
}

}  // namespace
