#include "game/XboardHumanPlayer.h"

#include "game/Console.h"
#include "game/Game.h"
#include "game/XboardComputerPlayer.h"
#include "protocol/XboardConnection.h"
#include "search/SearchEngine.h"

bool AwaitingFirstCommand = true;
bool SwitchSidesRequested = false;

bool XboardHumanPlayer::ReadInput(Move& move, int& promotion) {
  for (;;) {
    int code = CMD_NONE;
    std::string text;
    CurrentConnection->ReadCommand(code, text);
    if (code == CMD_REMOVE) {
      CurrentGame->TakeBack();
      continue;
    }
    if (code != CMD_USERMOVE && code != CMD_QUIT && code != CMD_RESIGN && code != CMD_WHITE)
      continue;
    if (AwaitingFirstCommand) {
      if (code == CMD_WHITE) {
        SwitchSidesRequested = true;
      } else {
        auto engine = std::make_unique<XboardComputerPlayer>(BLACK, ENGINE_NEGASCOUT,
                                                             CurrentGame->book.get());
        engine->name = "Winboard - AI";
        CurrentGame->ReplacePlayer(BLACK, std::move(engine));
      }
      AwaitingFirstCommand = false;
    }
    if (SwitchSidesRequested) return true;
    if (code == CMD_QUIT || code == CMD_RESIGN) {
      move.flags = MOVE_RESIGN;
      return true;
    }
    char letter = '\0';
    if (!Board::CoordToSquare(text, &move.from, &move.to, &letter)) {
      if (text.size() != 4 && text.size() != 5) continue;
    }
    promotion = letter == '\0' ? -1 : static_cast<unsigned char>(letter);
    return true;
  }
}

bool SwitchSides(const Player& player, Board& board, Move& move) {
  *ConsoleOut << "Humen -> AI" << std::endl;
  SwitchSidesRequested = false;
  const Color engineSide = player.color;
  const Color frontEndSide = 1 - engineSide;
  auto human = std::make_unique<XboardHumanPlayer>(frontEndSide);
  human->name = "Winboard - Human";
  CurrentGame->ReplacePlayer(frontEndSide, std::move(human));
  auto engine =
      std::make_unique<XboardComputerPlayer>(engineSide, ENGINE_NEGASCOUT, CurrentGame->book.get());
  engine->name = "Winboard - AI";
  Player& computer = *engine;
  CurrentGame->ReplacePlayer(engineSide, std::move(engine));
  return computer.GetMove(board, move);
}
