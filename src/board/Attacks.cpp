#include "board/Attacks.h"

#include <bit>
#include <memory>

namespace attacks_detail {
namespace {

// Found once by trying sparse random numbers until every occupation of the mask gives an
// index whose entry agrees with it; squares numbered from a8.
constexpr Bitboard ROOK_FACTORS[64] = {
    0x3080004000802010ULL, 0x0C40029005C02004ULL, 0x4080100259200080ULL, 0x1100042009021000ULL,
    0x2100030010080004ULL, 0x1200860044001810ULL, 0x0400080110008402ULL, 0x2200008040240102ULL,
    0x0000800020804004ULL, 0x0184804000200480ULL, 0x0848801004200080ULL, 0x1001001001002008ULL,
    0x8001000408001100ULL, 0x0101000802040100ULL, 0x4285001401000200ULL, 0x008180010020C080ULL,
    0x0000228000400080ULL, 0x0810004000402000ULL, 0x0010008020008018ULL, 0x1400090021021000ULL,
    0x820A808004000802ULL, 0x0404008002008004ULL, 0x0202008080020100ULL, 0x094402000C025181ULL,
    0x0280400080008020ULL, 0x0200200040401000ULL, 0x0404482200108200ULL, 0x00081022000A0040ULL,
    0x1000040080800800ULL, 0x0182000200058810ULL, 0x0000827400481021ULL, 0x0000008200091064ULL,
    0x0040004020800089ULL, 0x648E024102002082ULL, 0x0000200080801000ULL, 0x001200419200200AULL,
    0x0430080080800400ULL, 0x0000040080800200ULL, 0x002201100400D802ULL, 0x5800404082000401ULL,
    0x0000400080008020ULL, 0x0140028020018044ULL, 0x4004801204420020ULL, 0x080210030021000AULL,
    0x2204000408008080ULL, 0x020A000804020010ULL, 0x0100010002008080ULL, 0x2000440040820001ULL,
    0x0000408000210100ULL, 0x4000810028420200ULL, 0x0A8020010043B100ULL, 0x0100201000090100ULL,
    0x0001021048004500ULL, 0x0002020080040080ULL, 0x0048080102100400ULL, 0x00410000A2084100ULL,
    0x0040110222004682ULL, 0x0802002100408012ULL, 0x0420040820401101ULL, 0x8040200805001001ULL,
    0x0045000218001035ULL, 0x840A001001080482ULL, 0x0800420081300804ULL, 0x0400008100402412ULL,
};
constexpr Bitboard BISHOP_FACTORS[64] = {
    0x0002200800808083ULL, 0x082401020E120004ULL, 0x001000A208400000ULL, 0x4024052600949040ULL,
    0x0002021100000101ULL, 0x00220802080C0000ULL, 0x000C014108210908ULL, 0x024A049080901001ULL,
    0x0043C20411020210ULL, 0x002020213A248100ULL, 0x09224942040D0183ULL, 0x01000C4220802000ULL,
    0x0041820211000400ULL, 0x3000320802080800ULL, 0x030084010402A000ULL, 0x0210004C04040200ULL,
    0x0010014430220820ULL, 0x0002042008010904ULL, 0x08A0403008404040ULL, 0x0260202202004000ULL,
    0x2004005211200800ULL, 0x08048060C8044000ULL, 0x004B003209012040ULL, 0x0460802042009004ULL,
    0x2002080EC0110440ULL, 0x0018022004948800ULL, 0x0008404008060040ULL, 0x1821080001004300ULL,
    0x0001020044008401ULL, 0x4010004040241008ULL, 0x0004040000A08404ULL, 0x000CB10082004200ULL,
    0x6001100800112000ULL, 0x06181110A4148400ULL, 0x0004002480480204ULL, 0x1200400808608200ULL,
    0x00A8020400001010ULL, 0xC220040020010090ULL, 0x00018A0080440C10ULL, 0x8002020040002401ULL,
    0x180101109030C040ULL, 0x8010884108801000ULL, 0x0013420050048100ULL, 0x010021A018008101ULL,
    0x8040080904440401ULL, 0x1042240804200A00ULL, 0x404802E082018400ULL, 0x0010008200480089ULL,
    0x0004008404201228ULL, 0x090042280402000AULL, 0x0248108888210800ULL, 0x0005800E05042404ULL,
    0x08000808A1010030ULL, 0x0208A02202060A10ULL, 0x00C0481901461048ULL, 0x00221042418104A0ULL,
    0x88084400808820C2ULL, 0x0000408448421040ULL, 0x0880200242009038ULL, 0x0C41020080208800ULL,
    0x0000880520A24410ULL, 0x00001041C4080A21ULL, 0x0000295810108200ULL, 0x0011201A00460020ULL,
};

constexpr int ROOK_STEPS[4][2] = {{1, 0}, {-1, 0}, {0, 1}, {0, -1}};
constexpr int BISHOP_STEPS[4][2] = {{1, 1}, {1, -1}, {-1, 1}, {-1, -1}};

bool OnBoard(int file, int row) { return file >= 0 && file < 8 && row >= 0 && row < 8; }

// Walks the rays; `relevantOnly` leaves out each ray's last square, whose occupation never
// changes the attacks.
Bitboard Walk(Square square, Bitboard occupied, const int (&steps)[4][2], bool relevantOnly) {
  Bitboard set = 0;
  for (const auto& step : steps) {
    for (int file = square % 8 + step[0], row = square / 8 + step[1]; OnBoard(file, row);
         file += step[0], row += step[1]) {
      if (relevantOnly && !OnBoard(file + step[0], row + step[1])) break;
      const Bitboard bit = Bitboard{1} << (file + 8 * row);
      set |= bit;
      if (occupied & bit) break;
    }
  }
  return set;
}

void Fill(Magic (&magics)[64], Bitboard* table, const Bitboard (&factors)[64],
          const int (&steps)[4][2]) {
  for (Square square = 0; square < 64; ++square) {
    Magic& magic = magics[square];
    magic.mask = Walk(square, 0, steps, true);
    magic.factor = factors[square];
    magic.table = table;
    magic.shift = static_cast<unsigned>(64 - std::popcount(magic.mask));
    // Every subset of the mask, by the carry-rippler walk.
    Bitboard subset = 0;
    do {
      table[(subset * magic.factor) >> magic.shift] = Walk(square, subset, steps, false);
      subset = (subset - magic.mask) & magic.mask;
    } while (subset);
    table += std::size_t{1} << std::popcount(magic.mask);
  }
}

std::unique_ptr<Tables> Build() {
  auto built = std::make_unique<Tables>();
  Fill(built->rook, built->rookAttacks, ROOK_FACTORS, ROOK_STEPS);
  Fill(built->bishop, built->bishopAttacks, BISHOP_FACTORS, BISHOP_STEPS);
  for (Square a = 0; a < 64; ++a) {
    for (Square b = 0; b < 64; ++b) {
      const Bitboard bit = Bitboard{1} << b;
      for (const bool rook : {true, false}) {
        const Magic& magic = rook ? built->rook[a] : built->bishop[a];
        if (a == b || !(magic.Lookup(0) & bit)) continue;
        const Magic& other = rook ? built->rook[b] : built->bishop[b];
        built->line[a][b] = (magic.Lookup(0) & other.Lookup(0)) | (Bitboard{1} << a) | bit;
        built->between[a][b] = magic.Lookup(bit) & other.Lookup(Bitboard{1} << a);
      }
    }
  }
  return built;
}

const std::unique_ptr<Tables> built = Build();

}  // namespace

const Tables& tables = *built;

}  // namespace attacks_detail
