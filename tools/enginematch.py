"""The game playing of tools/uci-match and tools/field, with python-chess.

An engine (the one measured) plays an opponent from an opening line, each side with its own
protocol (UCI or xboard), options and clock. What ended a game is kept in its PGN (the
Termination tag, and a comment after the last move), so that a saved file can be tallied again
as it was while it was played. The tallies give the score, the Elo difference with its 95%
interval and a sequential probability ratio test.

Faults lose the game of the side that made them: a move after its flag fell (a time loss), a
move that python-chess cannot parse or play (an illegal move), and an engine that crashes,
fails to start or hangs (no move a while after its flag fell), which abandons the game. The
engines run in process groups of their own: Ctrl-C reaches only this program, which drops the
games being played and hands on all that are done.

Needs the python-chess library (../shared/peers/python-chess, or PYTHONPATH).
"""
import argparse
import asyncio
import concurrent.futures
import dataclasses
import datetime
import math
import os
import random
import re
import signal
import sys
import threading
import time

HERE = os.path.dirname(os.path.realpath(__file__))
for candidate in (os.path.join(HERE, "..", "..", "shared", "peers", "python-chess"),
                  os.path.join(HERE, "..", "shared", "peers", "python-chess")):
    if os.path.isdir(candidate):
        sys.path.insert(0, candidate)
import chess  # noqa: E402
import chess.engine  # noqa: E402
import chess.pgn  # noqa: E402

DEFAULT_OPENINGS = os.path.join(HERE, "..", "data", "openings.pgn")

# An engine that has not moved this many seconds after its flag fell is taken for hung.
HANG_GRACE = 5.0
# Seconds an engine may take to start, to take its options and to quit.
ENGINE_TIMEOUT = 10.0

# How a game ended, in the words of the PGN's Termination tag: the faults lose the game of the
# side that made them.
NORMAL = "normal"
TIME_LOSS = "time forfeit"
ILLEGAL = "rules infraction"
ABANDONED = "abandoned"
FAULTS = (TIME_LOSS, ILLEGAL, ABANDONED)

# The sequential probability ratio test of every tally.
SPRT_ELO0, SPRT_ELO1, SPRT_ALPHA, SPRT_BETA = 0, 10, 0.05, 0.05


def parse_options(text):
    """Engine options written as "Name=value,Name=value"."""
    options = {}
    for item in filter(None, (text or "").split(",")):
        name, _, value = item.partition("=")
        options[name.strip()] = value.strip()
    return options


@dataclasses.dataclass(frozen=True)
class TimeControl:
    """BASE seconds and INCREMENT a move; with MOVES, the clock gets BASE again after every
    MOVES moves of the game (counted by the game's move numbers, the opening included, as
    xboard counts them)."""
    base: float
    increment: float = 0.0
    moves: int = 0

    @classmethod
    def parse(cls, text):
        """'10+0.1' (10 s plus 0.1 s a move), '40/30' (40 moves in 30 s), or '40/30+0.1'."""
        found = re.fullmatch(r"(?:(\d+)/)?(\d+(?:\.\d*)?)(?:\+(\d+(?:\.\d*)?))?", text.strip())
        if not found:
            raise ValueError(f"not a time control: {text!r} (BASE+INC or MOVES/BASE)")
        moves, base, increment = found.groups()
        return cls(float(base), float(increment or 0), int(moves or 0))

    @classmethod
    def argument(cls, text):
        """TimeControl.parse as an argparse type."""
        try:
            return cls.parse(text)
        except ValueError as error:
            raise argparse.ArgumentTypeError(str(error)) from None

    def __str__(self):
        text = f"{self.moves}/{self.base:g}" if self.moves else f"{self.base:g}"
        return text + (f"+{self.increment:g}" if self.increment or not self.moves else "")

    def describe(self):
        text = f"{self.moves} moves in {self.base:g} s" if self.moves else f"{self.base:g} s"
        return text + (f" + {self.increment:g} s" if self.increment else "")


@dataclasses.dataclass(frozen=True)
class Player:
    """An engine as it is started: its name in the PGN, its command, its protocol ("uci" or
    "xboard"), its options and the folder it runs in (None: this one)."""
    name: str
    command: list
    protocol: str = "uci"
    options: dict = dataclasses.field(default_factory=dict)
    cwd: str = None

    def start(self):
        popen = {"uci": chess.engine.SimpleEngine.popen_uci,
                 "xboard": chess.engine.SimpleEngine.popen_xboard}[self.protocol]
        engine = popen(self.command, timeout=ENGINE_TIMEOUT, setpgrp=True, cwd=self.cwd)
        try:
            engine.configure(self.options)
        except BaseException:
            engine.close()
            raise
        return engine


def stop_engine(engine):
    try:
        engine.quit()
    except Exception:  # it died already, or does not listen
        pass
    engine.close()


def check_start(player):
    """None when the player starts and takes its options, else what went wrong."""
    try:
        stop_engine(player.start())
    except Exception as error:
        return describe_error(error)
    return None


def describe_error(error):
    return f"{type(error).__name__}: {error}" if str(error) else type(error).__name__


def openings(path, plies, count, seed):
    """COUNT opening lines of PLIES plies, drawn by SEED from the games of the PGN file."""
    lines = []
    with open(path, encoding="utf-8", errors="replace") as pgn:
        while (game := chess.pgn.read_game(pgn)) is not None:
            moves = list(game.mainline_moves())[:plies]
            if len(moves) == plies:
                lines.append(tuple(moves))
    random.Random(seed).shuffle(lines)
    return [lines[i % len(lines)] for i in range(count)]


@dataclasses.dataclass(frozen=True)
class Pairing:
    """One game to play: the engine plays White in the odd rounds."""
    round: int
    opening: tuple
    engine: Player
    opponent: Player
    clock: TimeControl
    event: str = "?"

    @property
    def engine_white(self):
        return self.round % 2 == 1


def match_pairings(engine, opponent, clock, lines, games, event="?"):
    """GAMES pairings, each opening line played twice with the colours swapped."""
    return [Pairing(i + 1, lines[i // 2], engine, opponent, clock, event) for i in range(games)]


@dataclasses.dataclass
class Outcome:
    """A finished game as the engine's tally sees it."""
    points: float              # the engine's: 1, 0.5 or 0
    termination: str           # NORMAL or one of FAULTS
    faulty_engine: bool        # with a fault: whether the engine made it
    note: str                  # what ended the game, in words
    game: chess.pgn.Game = None


class Fault(Exception):
    def __init__(self, termination, note):
        super().__init__(note)
        self.termination = termination


class Interrupted(Exception):
    pass


def ask_move(engine, board, limit, deadline, stop):
    """The engine's answer in the position, waited for until DEADLINE (time.monotonic()).
    Raises Fault when the engine hangs, Interrupted when STOP is set."""
    if stop.is_set():
        raise Interrupted()
    future = asyncio.run_coroutine_threadsafe(engine.protocol.play(board, limit),
                                              engine.protocol.loop)
    while True:
        try:
            return future.result(timeout=max(0.0, min(0.1, deadline - time.monotonic())))
        except concurrent.futures.TimeoutError:
            if stop.is_set():
                future.cancel()
                raise Interrupted() from None
            if time.monotonic() >= deadline:
                future.cancel()
                raise Fault(ABANDONED, f"hung: no move {HANG_GRACE:g} s after its flag fell") \
                    from None


def end_note(board):
    outcome = board.outcome(claim_draw=True)
    return outcome.termination.name.lower().replace("_", " ") if outcome else ""


def play_game(pairing, stop):
    """Plays one game; returns its Outcome, or None when STOP was set before it ended."""
    if stop.is_set():
        return None
    board = chess.Board()
    for move in pairing.opening:
        board.push(move)
    engine_colour = chess.WHITE if pairing.engine_white else chess.BLACK
    players = {engine_colour: pairing.engine, not engine_colour: pairing.opponent}
    clock = pairing.clock
    clocks = {chess.WHITE: clock.base, chess.BLACK: clock.base}
    clock_id = object()  # one a game: an xboard engine is sent the time control once
    running = {}
    termination, culprit = NORMAL, None
    try:
        for colour in (chess.WHITE, chess.BLACK):
            culprit = colour
            try:
                running[colour] = players[colour].start()
            except (OSError, chess.engine.EngineError, asyncio.TimeoutError) as error:
                raise Fault(ABANDONED, f"did not start ({describe_error(error)})") from None
        while not board.is_game_over(claim_draw=True):
            side = culprit = board.turn
            limit = chess.engine.Limit(
                white_clock=clocks[chess.WHITE], black_clock=clocks[chess.BLACK],
                white_inc=clock.increment, black_inc=clock.increment, clock_id=clock_id,
                remaining_moves=moves_to_go(clock, board, players[side].protocol))
            start = time.monotonic()
            try:
                answer = ask_move(running[side], board, limit,
                                  start + clocks[side] + HANG_GRACE, stop)
            except chess.engine.EngineTerminatedError as error:
                raise Fault(ABANDONED, f"crashed ({error})") from None
            except chess.engine.EngineError as error:
                if error.args and isinstance(error.args[0], ValueError):
                    raise Fault(ILLEGAL, f"sent a move that cannot be played ({error})") from None
                raise Fault(ABANDONED, f"broke the protocol ({error})") from None
            clocks[side] -= time.monotonic() - start
            if clocks[side] < 0:
                raise Fault(TIME_LOSS, f"lost on time ({-clocks[side]:.3f} s over)")
            if answer.resigned:
                result = "0-1" if side == chess.WHITE else "1-0"
                note = f"{players[side].name} resigns"
                break
            if answer.move is None or answer.move not in board.legal_moves:
                raise Fault(ILLEGAL, f"played {answer.move or 'no move'} in {board.fen()}")
            clocks[side] += clock.increment
            if clock.moves and board.fullmove_number % clock.moves == 0:
                clocks[side] += clock.base
            board.push(answer.move)
        else:
            result, note = board.result(claim_draw=True), end_note(board)
    except Interrupted:
        return None
    except Fault as fault:
        result = "0-1" if culprit == chess.WHITE else "1-0"
        termination, note = fault.termination, f"{players[culprit].name} {fault}"
    finally:
        for colour, engine in running.items():
            if stop.is_set() or (termination == ABANDONED and colour == culprit):
                engine.close()
            else:
                stop_engine(engine)

    game = chess.pgn.Game.from_board(board)
    game.headers["Event"] = pairing.event
    game.headers["Date"] = datetime.date.today().strftime("%Y.%m.%d")
    game.headers["Round"] = str(pairing.round)
    game.headers["White"] = players[chess.WHITE].name
    game.headers["Black"] = players[chess.BLACK].name
    game.headers["Result"] = result
    game.headers["TimeControl"] = str(clock)
    game.headers["Termination"] = termination
    if note:
        game.end().comments.append(note)
    return outcome_of(game, pairing.engine.name)


def moves_to_go(clock, board, protocol):
    """The moves left until the side to move gets its base time again (None: never). An
    xboard engine is told the moves of a whole period instead: python-chess sends the count as
    the MPS of xboard's 'level' command, and the engine counts down from it itself."""
    if not clock.moves:
        return None
    if protocol == "xboard":
        return clock.moves
    return clock.moves - (board.fullmove_number - 1) % clock.moves


def outcome_of(game, engine_name):
    """The Outcome of a game that play_game saved, for the engine of that name."""
    headers = game.headers
    engine_white = headers.get("White") == engine_name
    white_points = {"1-0": 1.0, "0-1": 0.0, "1/2-1/2": 0.5}[headers["Result"]]
    points = white_points if engine_white else 1.0 - white_points
    termination = headers.get("Termination", NORMAL)
    return Outcome(points, termination, termination in FAULTS and points == 0.0,
                   " ".join(game.end().comments), game)


def play_games(pairings, jobs, on_game):
    """Plays the pairings, JOBS games at once, and hands each finished game to
    on_game(pairing, outcome) in this thread, in the order they end. The first Ctrl-C drops
    the games being played and those not begun (the games done are all handed on), the second
    ends the program. Returns False when Ctrl-C stopped the games."""
    stop = threading.Event()

    def interrupt(signum, frame):
        stop.set()
        signal.signal(signal.SIGINT, signal.SIG_DFL)
        print("Stopping: the games being played are dropped, those done are kept "
              "(Ctrl-C again to end at once)", file=sys.stderr, flush=True)

    previous = signal.signal(signal.SIGINT, interrupt)
    try:
        with concurrent.futures.ThreadPoolExecutor(max_workers=jobs) as pool:
            futures = {pool.submit(play_game, pairing, stop): pairing for pairing in pairings}
            for future in concurrent.futures.as_completed(futures):
                outcome = future.result()
                if outcome is not None:
                    on_game(futures[future], outcome)
    finally:
        signal.signal(signal.SIGINT, previous)
    return not stop.is_set()


def expected_score(elo_difference):
    return 1 / (1 + 10 ** (-elo_difference / 400))


def elo(score):
    return -400 * math.log10(1 / score - 1)


class Tally:
    """The games of the engine against one opponent."""

    def __init__(self):
        self.points = []
        self.faults = {kind: [0, 0] for kind in FAULTS}  # [the engine's, the opponent's]
        self.notes = []  # (round, note) of the games lost by a fault

    def add(self, outcome):
        self.points.append(outcome.points)
        if outcome.termination in FAULTS:
            self.faults[outcome.termination][0 if outcome.faulty_engine else 1] += 1
            self.notes.append((outcome.game.headers.get("Round", "?"), outcome.note))

    @property
    def games(self):
        return len(self.points)

    def count(self, points):
        return self.points.count(points)

    def score(self):
        return sum(self.points) / len(self.points)

    def spread(self):
        """The standard deviation of a game's points."""
        score = self.score()
        return math.sqrt(sum((p - score) ** 2 for p in self.points) / len(self.points))

    def elo_text(self):
        """The Elo difference with its 95% interval: '+35 (-40 .. +110)'. A clean sweep has no
        spread: it gets the bound that a player scoring less than every game in 5% of such
        matches would reach ('at least +316')."""
        n = len(self.points)
        if n == 0:
            return "-"
        score = self.score()
        if score in (0.0, 1.0):
            bound = elo(0.05 ** (1 / n))
            return f"at least {bound:+.0f}" if score == 1.0 else f"at most {-bound:+.0f}"
        if self.spread() == 0:
            return "+0 (all draws)"
        margin = 1.96 * self.spread() / math.sqrt(n)
        low = f"{elo(score - margin):+.0f}" if score - margin > 0 else "-inf"
        high = f"{elo(score + margin):+.0f}" if score + margin < 1 else "+inf"
        return f"{elo(score) + 0.0:+.0f} ({low} .. {high})"

    def sprt(self):
        """(log-likelihood ratio, lower bound, upper bound, verdict) of the test of elo1
        against elo0, the games taken as normal with the spread they show (the trinomial
        approximation of the logistic model). The verdict is "H1" (elo1), "H0" (elo0) or
        "continue"."""
        lower = math.log(SPRT_BETA / (1 - SPRT_ALPHA))
        upper = math.log((1 - SPRT_BETA) / SPRT_ALPHA)
        if not self.points or self.spread() == 0:
            return 0.0, lower, upper, "continue"
        s0, s1 = expected_score(SPRT_ELO0), expected_score(SPRT_ELO1)
        llr = (len(self.points) * (s1 - s0) * (2 * self.score() - s0 - s1)
               / (2 * self.spread() ** 2))
        verdict = "H1" if llr >= upper else "H0" if llr <= lower else "continue"
        return llr, lower, upper, verdict
